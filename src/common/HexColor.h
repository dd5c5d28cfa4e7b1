#pragma once
// Colours written as six hexadecimal digits ("3468D6"), as every screen of the program names
// them. Kept free of the toolkit so the parsing rules are unit-tested without a display;
// controls/GdkColor.h turns the result into a Gdk::RGBA.

#include <string_view>

namespace Q7ZACUtility {

// Components in 0…1.
struct RGBAColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    friend bool operator==(const RGBAColor&, const RGBAColor&) = default;
};

// Answered for any text that is not a colour.
inline constexpr RGBAColor kFallbackColor{1.0, 0.0, 0.0, 1.0};

// Accepts "RRGGBB", "#RRGGBB" or "0xRRGGBB" in either letter case, with white space and line
// breaks around it. Anything else, including a pair that is not hexadecimal, gives pure red.
RGBAColor colorWithRGBHexString(std::string_view text);

}  // namespace Q7ZACUtility
