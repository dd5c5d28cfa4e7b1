#include "controls/GdkColors.h"

namespace GdkColors {

Gdk::RGBA toGdkRGBA(const Q7ZACUtility::RGBAColor& color) {
    Gdk::RGBA result;
    result.set_rgba(color.red, color.green, color.blue, color.alpha);
    return result;
}

Gdk::RGBA gdkColorWithRGBHexString(std::string_view text) {
    return toGdkRGBA(Q7ZACUtility::colorWithRGBHexString(text));
}

}  // namespace GdkColors
