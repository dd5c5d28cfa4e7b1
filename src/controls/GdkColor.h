#pragma once
// The toolkit side of hexadecimal colours: Gdk::RGBA for widgets, CSS and Cairo.

#include <string_view>

#include <gdkmm/rgba.h>

#include "common/HexColor.h"

namespace Q7ZACUtility {

Gdk::RGBA toGdkRGBA(const RGBAColor& color);

// colorWithRGBHexString() converted; pure red for text that is not a colour.
Gdk::RGBA gdkColorWithRGBHexString(std::string_view text);

}  // namespace Q7ZACUtility
