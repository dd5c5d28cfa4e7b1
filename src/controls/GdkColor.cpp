#include "controls/GdkColor.h"

namespace Q7ZACUtility {

Gdk::RGBA toGdkRGBA(const RGBAColor& color) {
    Gdk::RGBA result;
    result.set_rgba(color.red, color.green, color.blue, color.alpha);
    return result;
}

Gdk::RGBA gdkColorWithRGBHexString(std::string_view text) {
    return toGdkRGBA(colorWithRGBHexString(text));
}

}  // namespace Q7ZACUtility
