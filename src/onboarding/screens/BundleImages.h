#pragma once
// Images of the main bundle's resources (Resources/<name>.png, and <name>@2x.png drawn at twice
// the size) for the onboarding screens, sharp at the display's scale factor.

#include <string>

#include <cairomm/surface.h>
#include <gdkmm/pixbuf.h>

namespace BundleImages {

// The image for scale (pixels per point): <name>@2x.png from 2 on, else <name>.png; an empty
// pointer (with a warning) when it is missing or unreadable.
Glib::RefPtr<Gdk::Pixbuf> imageNamed(const std::string& name, int scale = 1);
// The pixels per point for images of the onboarding screens: 2 on a display scaled 2 or more.
int imageScale(int scaleFactor);
// image, made for scale, as a surface GTK draws at 1/scale of its pixel size: no blur at scale 2.
Cairo::RefPtr<Cairo::Surface> surfaceAtScale(const Glib::RefPtr<Gdk::Pixbuf>& image, int scale);
// The image for scale as such a surface; empty when the image is.
Cairo::RefPtr<Cairo::Surface> surfaceNamed(const std::string& name, int scale);
// The image for scale stretched to width × height points, its corners (cap points on each side)
// kept as drawn, as such a surface; empty when the image is.
Cairo::RefPtr<Cairo::Surface> stretchedSurfaceNamed(const std::string& name, int width, int height, int cap, int scale);

}  // namespace BundleImages
