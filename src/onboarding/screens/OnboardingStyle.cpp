#include "onboarding/screens/OnboardingStyle.h"

#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include "controls/GdkColor.h"

namespace OnboardingStyle {

std::string cssColor(const char* hexColor) { return Q7ZACUtility::gdkColorWithRGBHexString(hexColor).to_string(); }

void addStyleSheet(const std::string& css) {
    auto provider = Gtk::CssProvider::create();
    provider->load_from_data(css);
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace OnboardingStyle
