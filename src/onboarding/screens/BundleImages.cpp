#include "onboarding/screens/BundleImages.h"

#include <gdk/gdk.h>
#include <glib.h>

#include "controls/StretchableImage.h"
#include "platform/Bundle.h"

namespace BundleImages {

Glib::RefPtr<Gdk::Pixbuf> imageNamed(const std::string& name, int scale) {
    const std::string file = imageScale(scale) == 2 ? name + "@2x" : name;
    const auto path = Bundle::mainBundle().pathForResource(file, "png");
    if (!path) {
        g_warning("The image %s.png is missing from the application's resources", file.c_str());
        return {};
    }
    try {
        return Gdk::Pixbuf::create_from_file(*path);
    } catch (const Glib::Error& error) {
        g_warning("Cannot read the image %s: %s", path->c_str(), error.what().c_str());
        return {};
    }
}

int imageScale(int scaleFactor) { return scaleFactor >= 2 ? 2 : 1; }

Cairo::RefPtr<Cairo::Surface> surfaceAtScale(const Glib::RefPtr<Gdk::Pixbuf>& image, int scale) {
    if (!image) return {};
    cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(image->gobj(), imageScale(scale), nullptr);
    return Cairo::RefPtr<Cairo::Surface>(new Cairo::Surface(surface, true));
}

Cairo::RefPtr<Cairo::Surface> surfaceNamed(const std::string& name, int scale) {
    return surfaceAtScale(imageNamed(name, scale), scale);
}

Cairo::RefPtr<Cairo::Surface> stretchedSurfaceNamed(const std::string& name, int width, int height, int cap,
                                                    int scale) {
    const int pixels = imageScale(scale);
    const int capPixels = cap * pixels;
    return surfaceAtScale(
        StretchableImage::stretchableImageWithSize(imageNamed(name, pixels), width * pixels, height * pixels,
                                                   {capPixels, capPixels, capPixels, capPixels}),
        pixels);
}

}  // namespace BundleImages
