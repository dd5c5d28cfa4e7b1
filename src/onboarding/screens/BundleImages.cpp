#include "onboarding/screens/BundleImages.h"

#include <glib.h>

#include "platform/Bundle.h"

namespace BundleImages {

Glib::RefPtr<Gdk::Pixbuf> imageNamed(const std::string& name) {
    const auto path = Bundle::mainBundle().pathForResource(name, "png");
    if (!path) {
        g_warning("The image %s.png is missing from the application's resources", name.c_str());
        return {};
    }
    try {
        return Gdk::Pixbuf::create_from_file(*path);
    } catch (const Glib::Error& error) {
        g_warning("Cannot read the image %s: %s", path->c_str(), error.what().c_str());
        return {};
    }
}

}  // namespace BundleImages
