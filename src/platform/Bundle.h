#pragma once
// A bundle folder ("X.app" with Contents/Info.plist, Contents/MacOS/, Contents/Resources/) and
// the text lookups in its string tables (Resources/<folder>.lproj/<table>.strings, XML
// property-list dictionaries). A folder without Contents/ (such as one "<folder>.lproj") is a
// flat bundle: its own folder holds the resources and the tables.
//
// The main bundle is the folder three levels above the running executable (/proc/self/exe).
// Its ordinary lookup picks the localisation the user prefers: the "AppleLanguages" user
// default, else LANGUAGE, LC_ALL, LC_MESSAGES, LANG; then "en". The choice is made at the first
// lookup and kept until forgetPreferredLocalization().

#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class Bundle {
public:
    explicit Bundle(std::string bundlePath);
    virtual ~Bundle() = default;
    Bundle(const Bundle&) = delete;
    Bundle& operator=(const Bundle&) = delete;

    // The process's main bundle (a BundleEx: lookups follow the language override).
    static Bundle& mainBundle();
    // The folder three levels above the running executable.
    static std::string mainBundlePath();

    const std::string& bundlePath() const { return m_bundlePath; }
    std::string resourcePath() const;    // <bundle>/Contents/Resources, or the flat bundle itself
    std::string executablePath() const;  // <bundle>/Contents/MacOS/<CFBundleExecutable>
    // A string value of Info.plist (CFBundleIdentifier, CFBundleVersion, ...).
    std::optional<std::string> infoValue(const std::string& key) const;
    // Path of Resources/<name>.<type> (or <name> when type is empty), when it exists.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& type) const;
    // Localisation folder names (without ".lproj") present in the resources, sorted.
    std::vector<std::string> localizations() const;
    // The localisation the ordinary lookup uses; "" for a bundle without localisations.
    std::string preferredLocalization() const;
    // The user's preferences changed: the next lookup chooses the localisation again.
    void forgetPreferredLocalization();

    // The text for key in table ("Localizable" when empty): the value when given and the key
    // is missing, else the key itself.
    virtual std::string localizedStringForKey(const std::string& key, const std::string& value = "",
                                              const std::string& table = "") const;

    // Maps a locale or language name ("zh_TW.UTF-8", "zh-Hant", "en_GB") to one of the
    // localisations: Traditional Chinese (zh_TW, zh_HK, zh_MO, zh-Hant...) to "zh-Hant",
    // other Chinese (zh, zh_CN, zh_SG, zh-Hans...) to "zh-Hans", anything else to its
    // language part when that localisation exists; nullopt when nothing fits ("C", "de").
    static std::optional<std::string> localizationForLanguage(const std::string& language,
                                                              const std::vector<std::string>& available);
    // The user's preferred languages: "AppleLanguages", else LANGUAGE's list, else the first
    // of LC_ALL, LC_MESSAGES, LANG that is set.
    static std::vector<std::string> preferredLanguages();

protected:
    // The ordinary lookup: the preferred localisation of this bundle.
    std::string ordinaryLocalizedString(const std::string& key, const std::string& value,
                                        const std::string& table) const;

private:
    using StringTable = std::map<std::string, std::string>;
    std::shared_ptr<const StringTable> stringTable(const std::string& path) const;
    std::string choosePreferredLocalization() const;

    std::string m_bundlePath;
    mutable std::mutex m_cacheMutex;
    mutable std::optional<std::string> m_preferredLocalization;
    mutable std::map<std::string, std::shared_ptr<const StringTable>> m_tables;
};

// Shorthand for the main bundle's lookup with no default value and the default table.
std::string localizedString(const std::string& key);
// The text of key with its "%@" placeholders replaced by the arguments, in order.
std::string localizedFormat(const std::string& key, std::initializer_list<std::string> arguments);
inline std::string localizedFormat(const std::string& key, const std::string& argument) {
    return localizedFormat(key, {argument});
}
