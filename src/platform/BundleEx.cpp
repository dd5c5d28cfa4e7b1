#include "platform/BundleEx.h"

BundleEx& BundleEx::mainBundleEx() {
    // Never destroyed: lookups from detached workers may still run while the process exits.
    static auto* const bundle = new BundleEx(Bundle::mainBundlePath());
    return *bundle;
}

// Here rather than beside the rest of Bundle: the main bundle is the one with the override, and
// Bundle itself knows nothing of its subclass.
Bundle& Bundle::mainBundle() { return BundleEx::mainBundleEx(); }

std::string BundleEx::localizedStringForKey(const std::string& key, const std::string& value,
                                            const std::string& table) const {
    if (overridesLookups()) {
        if (auto language = languageBundle()) return language->localizedStringForKey(key, value, table);
    }
    return ordinaryLocalizedString(key, value, table);
}

void BundleEx::enableLanguageOverride() { m_overriding.store(true); }

void BundleEx::attachLanguageBundle(std::shared_ptr<const Bundle> languageBundle) {
    std::lock_guard lock(m_languageMutex);
    m_languageBundle = std::move(languageBundle);
}

std::shared_ptr<const Bundle> BundleEx::languageBundle() const {
    std::lock_guard lock(m_languageMutex);
    return m_languageBundle;
}
