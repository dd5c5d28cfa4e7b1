#pragma once
// The frame of an input row: a stretchable image (8-pixel caps) drawn at the view's size, its
// inside filled with an optional background colour, which greys a row that cannot be used. The
// image is made at the display's scale when first drawn, and again when the scale changes.

#include <optional>
#include <string>

#include <gdkmm/rgba.h>
#include <gtkmm/drawingarea.h>

class Q7ZInputRectImageView : public Gtk::DrawingArea {
public:
    // imageName: a PNG of the bundle's resources, without its extension.
    Q7ZInputRectImageView(const std::string& imageName, int width, int height);

    // Fills the inside of the frame; none leaves the frame's own inside.
    void setBackgroundColor(std::optional<Gdk::RGBA> color);

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& context) override;

private:
    std::string m_imageName;
    int m_width;
    int m_height;
    Cairo::RefPtr<Cairo::Surface> m_frame;
    int m_frameScale = 0;
    std::optional<Gdk::RGBA> m_backgroundColor;
};
