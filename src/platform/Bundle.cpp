#include "platform/Bundle.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultTable = "Localizable";
constexpr const char* kDevelopmentLocalization = "en";

bool isDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "zh_TW.UTF-8@euro" -> "zh-tw"
std::string normalisedLanguage(const std::string& language) {
    std::string name = language.substr(0, language.find_first_of(".@"));
    std::replace(name.begin(), name.end(), '_', '-');
    return lowerCase(name);
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool isTraditionalChinese(const std::string& name) {
    return startsWith(name, "zh-hant") || name == "zh-tw" || name == "zh-hk" || name == "zh-mo";
}

std::vector<std::string> splitColonList(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream stream(list);
    for (std::string item; std::getline(stream, item, ':');)
        if (!item.empty()) items.push_back(item);
    return items;
}

}  // namespace

Bundle::Bundle(std::string bundlePath) : m_bundlePath(std::move(bundlePath)) {}

std::string Bundle::mainBundlePath() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return executable.parent_path().parent_path().parent_path().string();
}

std::string Bundle::resourcePath() const {
    const std::string contents = m_bundlePath + "/Contents";
    return isDirectory(contents) ? contents + "/Resources" : m_bundlePath;
}

std::string Bundle::executablePath() const {
    const std::string name = infoValue("CFBundleExecutable").value_or(fs::path(m_bundlePath).stem().string());
    return m_bundlePath + "/Contents/MacOS/" + name;
}

std::optional<std::string> Bundle::infoValue(const std::string& key) const {
    const auto info = PropertyList::readDictionary(m_bundlePath + "/Contents/Info.plist");
    if (!info) return std::nullopt;
    return info->stringValue(key);
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& type) const {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    const std::string path = resourcePath() + "/" + name + (type.empty() ? "" : "." + type);
    std::error_code error;
    if (!fs::exists(path, error)) return std::nullopt;
    return path;
}

std::vector<std::string> Bundle::localizations() const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(resourcePath(), error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (path.extension() == ".lproj" && isDirectory(path.string())) names.push_back(path.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> Bundle::localizationForLanguage(const std::string& language,
                                                           const std::vector<std::string>& available) {
    auto offered = [&](const std::string& name) -> std::optional<std::string> {
        if (std::find(available.begin(), available.end(), name) != available.end()) return name;
        return std::nullopt;
    };
    if (auto exact = offered(language)) return exact;
    const std::string name = normalisedLanguage(language);
    if (name == "zh" || startsWith(name, "zh-")) return offered(isTraditionalChinese(name) ? "zh-Hant" : "zh-Hans");
    return offered(name.substr(0, name.find('-')));
}

std::vector<std::string> Bundle::preferredLanguages() {
    if (auto stored = UserDefaults::standardUserDefaults().appleLanguages(); stored && !stored->empty()) return *stored;
    if (const char* list = std::getenv("LANGUAGE"); list && *list) return splitColonList(list);
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value && *value) return {value};
    return {};
}

std::string Bundle::preferredLocalization() const {
    {
        std::lock_guard lock(m_cacheMutex);
        if (m_preferredLocalization) return *m_preferredLocalization;
    }
    // Chosen outside the lock: the user defaults it reads take a lock of their own.
    std::string chosen = choosePreferredLocalization();
    std::lock_guard lock(m_cacheMutex);
    if (!m_preferredLocalization) m_preferredLocalization = std::move(chosen);
    return *m_preferredLocalization;
}

void Bundle::forgetPreferredLocalization() {
    std::lock_guard lock(m_cacheMutex);
    m_preferredLocalization.reset();
}

std::string Bundle::choosePreferredLocalization() const {
    const auto available = localizations();
    if (available.empty()) return {};
    for (const auto& language : preferredLanguages())
        if (auto found = localizationForLanguage(language, available)) return *found;
    if (std::find(available.begin(), available.end(), kDevelopmentLocalization) != available.end())
        return kDevelopmentLocalization;
    return available.front();
}

std::shared_ptr<const Bundle::StringTable> Bundle::stringTable(const std::string& path) const {
    std::lock_guard lock(m_cacheMutex);
    auto cached = m_tables.find(path);
    if (cached != m_tables.end()) return cached->second;
    auto dictionary = PropertyList::readDictionary(path);
    auto table = std::make_shared<const StringTable>(dictionary ? dictionary->stringMembers() : StringTable{});
    m_tables.emplace(path, table);
    return table;
}

std::string Bundle::ordinaryLocalizedString(const std::string& key, const std::string& value,
                                            const std::string& table) const {
    const std::string fileName = (table.empty() ? std::string(kDefaultTable) : table) + ".strings";
    const std::string localization = preferredLocalization();
    const std::string folder = localization.empty() ? resourcePath() : resourcePath() + "/" + localization + ".lproj";
    const auto strings = stringTable(folder + "/" + fileName);
    if (auto found = strings->find(key); found != strings->end()) return found->second;
    return value.empty() ? key : value;
}

std::string Bundle::localizedStringForKey(const std::string& key, const std::string& value,
                                          const std::string& table) const {
    return ordinaryLocalizedString(key, value, table);
}

std::string localizedString(const std::string& key) { return Bundle::mainBundle().localizedStringForKey(key); }

std::string localizedFormat(const std::string& key, std::initializer_list<std::string> arguments) {
    std::string text = localizedString(key);
    std::size_t from = 0;
    for (const std::string& argument : arguments) {
        const std::size_t placeholder = text.find("%@", from);
        if (placeholder == std::string::npos) break;
        text.replace(placeholder, 2, argument);
        from = placeholder + argument.size();  // an argument's own "%@" stays as it is
    }
    return text;
}
