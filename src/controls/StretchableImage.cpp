#include "controls/StretchableImage.h"

#include <algorithm>

namespace StretchableImage {
namespace {

// Where one axis is cut: the lengths of the leading cap, the middle and the trailing cap.
struct AxisCut {
    int leading = 0;
    int middle = 0;
    int trailing = 0;

    int start(int part) const { return part == 0 ? 0 : part == 1 ? leading : leading + middle; }
    int length(int part) const { return part == 0 ? leading : part == 1 ? middle : trailing; }
};

// Caps reduced in proportion so that together they take at most `room`.
AxisCut fitCaps(int leading, int trailing, int total, int room) {
    leading = std::max(leading, 0);
    trailing = std::max(trailing, 0);
    room = std::max(room, 0);
    if (leading + trailing > room) {
        const int fittedLeading = static_cast<int>(static_cast<long long>(leading) * room / (leading + trailing));
        trailing = room - fittedLeading;
        leading = fittedLeading;
    }
    return AxisCut{leading, total - leading - trailing, trailing};
}

// The source keeps one pixel between its caps so the middle always has something to stretch.
AxisCut cutSource(int leading, int trailing, int total) { return fitCaps(leading, trailing, total, total - 1); }

// The target's caps are the source's, shrunk only when the target is too small for them.
AxisCut cutTarget(const AxisCut& source, int total) { return fitCaps(source.leading, source.trailing, total, total); }

void drawPart(const Glib::RefPtr<Gdk::Pixbuf>& source, const Glib::RefPtr<Gdk::Pixbuf>& result, const AxisCut& sourceX,
              const AxisCut& sourceY, const AxisCut& targetX, const AxisCut& targetY, int column, int row) {
    const int sourceWidth = sourceX.length(column);
    const int sourceHeight = sourceY.length(row);
    const int targetWidth = targetX.length(column);
    const int targetHeight = targetY.length(row);
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) {
        return;
    }
    // A sub-image of its own, so that interpolation at the part's border never reads pixels
    // of the neighbouring part.
    const auto part =
        Gdk::Pixbuf::create_subpixbuf(source, sourceX.start(column), sourceY.start(row), sourceWidth, sourceHeight);
    const int targetLeft = targetX.start(column);
    const int targetTop = targetY.start(row);
    if (sourceWidth == targetWidth && sourceHeight == targetHeight) {
        part->copy_area(0, 0, sourceWidth, sourceHeight, result, targetLeft, targetTop);
        return;
    }
    part->scale(result, targetLeft, targetTop, targetWidth, targetHeight, targetLeft, targetTop,
                static_cast<double>(targetWidth) / sourceWidth, static_cast<double>(targetHeight) / sourceHeight,
                Gdk::INTERP_BILINEAR);
}

}  // namespace

Glib::RefPtr<Gdk::Pixbuf> stretchableImageWithSize(const Glib::RefPtr<Gdk::Pixbuf>& source, int width, int height,
                                                   EdgeInsets insets) {
    if (!source || source->get_width() <= 0 || source->get_height() <= 0 || width <= 0 || height <= 0) {
        return {};
    }
    // The parts do not overlap and the result starts fully transparent, so copying each part
    // is the same as compositing it over.
    const auto withAlpha = source->get_has_alpha() ? source : source->add_alpha(false, 0, 0, 0);
    const auto result = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, width, height);
    result->fill(0x00000000);

    // Pixbuf rows run from the top, so the top inset leads on the vertical axis.
    const AxisCut sourceX = cutSource(insets.left, insets.right, withAlpha->get_width());
    const AxisCut sourceY = cutSource(insets.top, insets.bottom, withAlpha->get_height());
    const AxisCut targetX = cutTarget(sourceX, width);
    const AxisCut targetY = cutTarget(sourceY, height);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            drawPart(withAlpha, result, sourceX, sourceY, targetX, targetY, column, row);
        }
    }
    return result;
}

}  // namespace StretchableImage
