#include "onboarding/screens/Q7ZInputRectImageView.h"

#include <cmath>

#include <gdkmm/general.h>

#include "onboarding/screens/BundleImages.h"

namespace {

constexpr int kCapInset = 8;
// The frame's image is opaque; the background fills its inside, within the 1-pixel border
// and its rounded corners.
constexpr double kBackgroundInset = 1.0;
constexpr double kBackgroundRadius = 4.0;

void addRoundedRectangle(const Cairo::RefPtr<Cairo::Context>& context, double x, double y, double width, double height,
                         double radius) {
    context->begin_new_sub_path();
    context->arc(x + width - radius, y + radius, radius, -M_PI / 2, 0);
    context->arc(x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    context->arc(x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    context->arc(x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    context->close_path();
}

}  // namespace

Q7ZInputRectImageView::Q7ZInputRectImageView(const std::string& imageName, int width, int height)
    : m_imageName(imageName), m_width(width), m_height(height) {
    set_size_request(width, height);
}

void Q7ZInputRectImageView::setBackgroundColor(std::optional<Gdk::RGBA> color) {
    m_backgroundColor = std::move(color);
    queue_draw();
}

bool Q7ZInputRectImageView::on_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    const int scale = BundleImages::imageScale(get_scale_factor());
    if (scale != m_frameScale) {
        m_frame = BundleImages::stretchedSurfaceNamed(m_imageName, m_width, m_height, kCapInset, scale);
        m_frameScale = scale;
    }
    if (m_frame) {
        context->set_source(m_frame, 0, 0);
        context->paint();
    }
    if (m_backgroundColor) {
        Gdk::Cairo::set_source_rgba(context, *m_backgroundColor);
        addRoundedRectangle(context, kBackgroundInset, kBackgroundInset, get_allocated_width() - 2 * kBackgroundInset,
                            get_allocated_height() - 2 * kBackgroundInset, kBackgroundRadius);
        context->fill();
    }
    return true;
}
