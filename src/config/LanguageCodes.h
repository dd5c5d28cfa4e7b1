#pragma once
// The two forms of the interface language, in parallel: the code kept in the settings and
// given to the server ("zh-TW", "zh-CN", "en-US") and the localisation folder of the string
// tables ("zh-Hant", "zh-Hans", "en"). The same index means the same language.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace LanguageCodes {

inline constexpr std::array<std::string_view, 3> kLanguageCodes = {"zh-TW", "zh-CN", "en-US"};
inline constexpr std::array<std::string_view, 3> kLocalizationFolders = {"zh-Hant", "zh-Hans", "en"};

// nullopt for a code outside the list.
std::optional<std::string> folderForLanguageCode(std::string_view code);

}  // namespace LanguageCodes
