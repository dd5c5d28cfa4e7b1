#include "controls/StyleSheets.h"

#include <set>

#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include "platform/Bundle.h"

namespace StyleSheets {

void require(const std::string& name) {
    static std::set<std::string> added;
    if (!added.insert(name).second) return;
    const auto path = Bundle::mainBundle().pathForResource(name, "css");
    if (!path) {
        g_warning("the style sheet %s.css is missing from %s", name.c_str(), Bundle::mainBundlePath().c_str());
        return;
    }
    auto provider = Gtk::CssProvider::create();
    try {
        provider->load_from_path(*path);
    } catch (const Glib::Error& error) {
        g_warning("the style sheet %s was refused: %s", path->c_str(), error.what().c_str());
        return;
    }
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace StyleSheets
