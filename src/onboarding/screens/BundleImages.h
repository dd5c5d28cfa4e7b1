#pragma once
// Images of the main bundle's resources (Resources/<name>.png) for the onboarding screens.

#include <string>

#include <gdkmm/pixbuf.h>

namespace BundleImages {

// The image, or an empty pointer (with a warning) when it is missing or unreadable.
Glib::RefPtr<Gdk::Pixbuf> imageNamed(const std::string& name);

}  // namespace BundleImages
