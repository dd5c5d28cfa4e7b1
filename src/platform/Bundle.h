#pragma once
// A bundle folder ("X.app" with Contents/Info.plist, Contents/MacOS/, Contents/Resources/) and
// the text lookups in its string tables (Resources/<folder>.lproj/<table>.strings, XML
// property-list dictionaries).
//
// The main bundle is the folder three levels above the running executable (/proc/self/exe).
// Its ordinary lookup picks the localisation the user prefers: the "AppleLanguages" user
// default, else LANGUAGE, LC_ALL, LC_MESSAGES, LANG; then "en".

#include <memory>
#include <optional>
#include <string>
#include <vector>

class Bundle {
public:
    explicit Bundle(std::string bundlePath);
    virtual ~Bundle() = default;

    static Bundle& mainBundle();

    const std::string& bundlePath() const { return m_bundlePath; }
    std::string resourcePath() const;    // <bundle>/Contents/Resources
    std::string executablePath() const;  // <bundle>/Contents/MacOS/<CFBundleExecutable or name>
    // A string value of Info.plist (CFBundleIdentifier, CFBundleVersion, ...).
    std::optional<std::string> infoValue(const std::string& key) const;
    // Path of Resources/<name>.<type>, when it exists.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& type) const;
    // Localisation folder names (without ".lproj") present in the resources.
    std::vector<std::string> localizations() const;

    // The text for key in table ("Localizable" when empty): the value when given and the key
    // is missing, else the key itself.
    virtual std::string localizedStringForKey(const std::string& key, const std::string& value = "",
                                              const std::string& table = "") const;

protected:
    // The ordinary lookup: the preferred localisation of this bundle.
    std::string ordinaryLocalizedString(const std::string& key, const std::string& value,
                                        const std::string& table) const;

private:
    std::string m_bundlePath;
};

// Shorthand for the main bundle's lookup with no default value and the default table.
std::string localizedString(const std::string& key);
