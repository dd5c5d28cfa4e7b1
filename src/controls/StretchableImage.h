#pragma once
// Nine-part stretching of an image such as a rounded frame: the four corners keep their pixel
// size, the edges stretch along their length and the centre fills the rest.
//
// Insets that do not fit are shrunk rather than refused, so any image can be stretched to any
// size without a crash:
//  - negative insets count as 0;
//  - on the source, a pair of opposite insets is reduced in proportion until at least one pixel
//    row or column is left between them, so the middle always has something to stretch;
//  - on the target, a pair wider than the target is reduced in proportion to fit exactly; the
//    corners are then scaled down and the middle is left out.

#include <gdkmm/pixbuf.h>

namespace StretchableImage {

// In pixels, from each edge of the image.
struct EdgeInsets {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};

// A new width × height image with an alpha channel; an empty pointer when the source is empty
// or the size is not positive.
Glib::RefPtr<Gdk::Pixbuf> stretchableImageWithSize(const Glib::RefPtr<Gdk::Pixbuf>& source, int width, int height,
                                                   EdgeInsets insets);

}  // namespace StretchableImage
