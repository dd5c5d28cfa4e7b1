#include "web/Q7ZFindBar.h"

#include <gtkmm/stylecontext.h>

#include "controls/StyleSheets.h"
#include "platform/Bundle.h"

namespace {

constexpr guint32 kFindOptions = WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;

}  // namespace

Q7ZFindBar::Q7ZFindBar(WebKitWebView* view)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6), m_view(view), m_finder(webkit_web_view_get_find_controller(view)) {
    StyleSheets::require("windows");
    get_style_context()->add_class("velloq-find-bar");
    set_no_show_all(true);
    const std::string name = localizedString("FindInPage");
    m_entry.set_placeholder_text(name);
    m_entry.get_accessible()->set_name(name);
    m_entry.set_width_chars(28);
    m_entry.signal_search_changed().connect(sigc::mem_fun(*this, &Q7ZFindBar::search));
    m_entry.signal_activate().connect([this] { step(true); });
    m_entry.signal_next_match().connect([this] { step(true); });
    m_entry.signal_previous_match().connect([this] { step(false); });
    m_entry.signal_stop_search().connect(sigc::mem_fun(*this, &Q7ZFindBar::close));
    m_entry.signal_key_press_event().connect(sigc::mem_fun(*this, &Q7ZFindBar::on_entry_key_press), false);
    pack_start(m_entry, Gtk::PACK_SHRINK);
    m_count.get_style_context()->add_class("dim-label");
    pack_start(m_count, Gtk::PACK_SHRINK);
    dressButton(m_previous, "go-up-symbolic", "FindPrevious");
    dressButton(m_next, "go-down-symbolic", "FindNext");
    dressButton(m_close, "window-close-symbolic", "FindClose");
    m_previous.signal_clicked().connect([this] { step(false); });
    m_next.signal_clicked().connect([this] { step(true); });
    m_close.signal_clicked().connect(sigc::mem_fun(*this, &Q7ZFindBar::close));
    pack_start(m_previous, Gtk::PACK_SHRINK);
    pack_start(m_next, Gtk::PACK_SHRINK);
    pack_end(m_close, Gtk::PACK_SHRINK);
    show_all_children();
    g_signal_connect(m_finder, "counted-matches", G_CALLBACK(&Q7ZFindBar::on_findController_countedMatches), this);
    g_signal_connect(m_finder, "failed-to-find-text", G_CALLBACK(&Q7ZFindBar::on_findController_failedToFindText),
                     this);
}

Q7ZFindBar::~Q7ZFindBar() { g_signal_handlers_disconnect_by_data(m_finder, this); }

void Q7ZFindBar::dressButton(Gtk::Button& button, const char* iconName, const char* nameKey) {
    button.set_image_from_icon_name(iconName, Gtk::ICON_SIZE_BUTTON);
    button.set_relief(Gtk::RELIEF_NONE);
    button.set_tooltip_text(localizedString(nameKey));
    button.get_accessible()->set_name(localizedString(nameKey));
}

void Q7ZFindBar::open() {
    show();
    m_entry.grab_focus();
    if (m_entry.get_text_length() > 0) search();
}

void Q7ZFindBar::close() {
    if (!get_visible()) return;
    hide();
    webkit_find_controller_search_finish(m_finder);
    gtk_widget_grab_focus(GTK_WIDGET(m_view));
}

void Q7ZFindBar::search() {
    const std::string text = m_entry.get_text();
    m_matches = m_current = 0;
    if (text.empty()) {
        webkit_find_controller_search_finish(m_finder);
        showCount();
        return;
    }
    webkit_find_controller_search(m_finder, text.c_str(), kFindOptions, G_MAXUINT);
    webkit_find_controller_count_matches(m_finder, text.c_str(), kFindOptions, G_MAXUINT);
}

void Q7ZFindBar::step(bool forward) {
    if (m_matches == 0) return;
    if (forward) webkit_find_controller_search_next(m_finder);
    else webkit_find_controller_search_previous(m_finder);
    m_current = forward ? m_current % m_matches + 1 : (m_current + m_matches - 2) % m_matches + 1;
    showCount();
}

void Q7ZFindBar::showCount() {
    std::string text;
    if (m_current > 0) text = localizedFormat("FindMatchCount", {std::to_string(m_current), std::to_string(m_matches)});
    else if (m_entry.get_text_length() > 0) text = localizedString("FindNoMatches");
    m_count.set_text(text);
    m_previous.set_sensitive(m_matches > 0);
    m_next.set_sensitive(m_matches > 0);
    // Read out with the field, where a screen reader's focus is.
    m_entry.get_accessible()->set_description(text);
}

// Shift+Enter goes back, as in browsers.
bool Q7ZFindBar::on_entry_key_press(GdkEventKey* event) {
    const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter;
    if (!enter || !(event->state & GDK_SHIFT_MASK)) return false;
    step(false);
    return true;
}

void Q7ZFindBar::on_findController_countedMatches(WebKitFindController*, guint count, gpointer bar) {
    auto* self = static_cast<Q7ZFindBar*>(bar);
    self->m_matches = count;
    self->m_current = count > 0 ? 1 : 0;
    self->showCount();
}

void Q7ZFindBar::on_findController_failedToFindText(WebKitFindController*, gpointer bar) {
    auto* self = static_cast<Q7ZFindBar*>(bar);
    self->m_matches = self->m_current = 0;
    self->showCount();
}
