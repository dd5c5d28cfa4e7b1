#pragma once
// The main bundle's language override. Once Q7ZACUtility::setLanguage has run, every lookup
// on the main bundle answers from the attached language bundle (one "<folder>.lproj" of the
// resources) when there is one, and from the ordinary choice of localisation otherwise.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Bundle.h"

class BundleEx : public Bundle {
public:
    using Bundle::Bundle;

    // The process's main bundle object.
    static BundleEx& mainBundleEx();

    std::string localizedStringForKey(const std::string& key, const std::string& value = "",
                                      const std::string& table = "") const override;

    // Turns the override on; it stays on for the rest of the run.
    void enableLanguageOverride();
    bool overridesLookups() const { return m_overriding.load(); }

    // None detaches.
    void attachLanguageBundle(std::shared_ptr<const Bundle> languageBundle);
    std::shared_ptr<const Bundle> languageBundle() const;

private:
    std::atomic<bool> m_overriding{false};
    mutable std::mutex m_languageMutex;
    std::shared_ptr<const Bundle> m_languageBundle;
};
