#include "utility/Q7ZACUtility.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace Q7ZACUtility {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";

std::string trimmedUpperCase(std::string_view text) {
    const auto first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kWhiteSpace);
    std::string result(text.substr(first, last - first + 1));
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return std::nullopt;
}

// One component from two upper-case hexadecimal digits, in 0…1.
std::optional<double> component(std::string_view pair) {
    const auto high = hexDigit(pair[0]);
    const auto low = hexDigit(pair[1]);
    if (!high || !low) {
        return std::nullopt;
    }
    return (*high * 16 + *low) / 255.0;
}

}  // namespace

RGBAColor colorWithRGBHexString(std::string_view text) {
    std::string digits = trimmedUpperCase(text);
    if (digits.size() < 6) {
        return kFallbackColor;
    }
    // The text is upper case by now, so "0x" can only appear as "0X".
    if (digits.starts_with("0X")) {
        digits.erase(0, 2);
    } else if (digits.starts_with('#')) {
        digits.erase(0, 1);
    }
    if (digits.size() != 6) {
        return kFallbackColor;
    }
    const std::string_view view(digits);
    const auto red = component(view.substr(0, 2));
    const auto green = component(view.substr(2, 2));
    const auto blue = component(view.substr(4, 2));
    if (!red || !green || !blue) {
        return kFallbackColor;
    }
    return RGBAColor{*red, *green, *blue, 1.0};
}

}  // namespace Q7ZACUtility
