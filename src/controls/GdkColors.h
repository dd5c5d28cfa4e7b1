#pragma once
// The toolkit side of hexadecimal colours: Gdk::RGBA for widgets, CSS and Cairo.

#include <string_view>

#include <gdkmm/rgba.h>

#include "utility/Q7ZACUtility.h"

namespace GdkColors {

Gdk::RGBA toGdkRGBA(const Q7ZACUtility::RGBAColor& color);

// Q7ZACUtility::colorWithRGBHexString() converted; pure red for text that is not a colour.
Gdk::RGBA gdkColorWithRGBHexString(std::string_view text);

}  // namespace GdkColors
