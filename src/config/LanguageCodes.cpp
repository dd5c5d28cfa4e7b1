#include "config/LanguageCodes.h"

#include <algorithm>

namespace LanguageCodes {
namespace {

template <typename From, typename To>
std::optional<std::string> lookUp(const From& from, const To& to, std::string_view value) {
    const auto found = std::find(from.begin(), from.end(), value);
    if (found == from.end()) return std::nullopt;
    return std::string(to[static_cast<std::size_t>(found - from.begin())]);
}

}  // namespace

std::optional<std::string> folderForLanguageCode(std::string_view code) {
    return lookUp(kLanguageCodes, kLocalizationFolders, code);
}

}  // namespace LanguageCodes
