#include "controls/Q7ZBusyCover.h"

#include "platform/Bundle.h"

Q7ZBusyCover::Q7ZBusyCover(Gtk::Overlay& overlay, std::function<void()> onCancel,
                           std::vector<Gtk::Widget*> keptFromKeyboard)
    : m_overlay(overlay), m_onCancel(std::move(onCancel)), m_keptFromKeyboard(std::move(keptFromKeyboard)) {
    set_above_child(false);  // Cancel takes its clicks; the rest of the cover swallows them
    dimBackground();
    m_spinner.set_size_request(32, 32);
    m_content.set_halign(Gtk::ALIGN_CENTER);
    m_content.set_valign(Gtk::ALIGN_CENTER);
    m_cancel.set_label(localizedString("m10"));
    m_cancel.signal_clicked().connect([this] { cancel(); });
    m_content.pack_start(m_spinner, Gtk::PACK_SHRINK);
    m_content.pack_start(m_cancel, Gtk::PACK_SHRINK);
    add(m_content);
    m_overlay.add_overlay(*this);
    show_all();
    m_cancel.set_visible(static_cast<bool>(m_onCancel));
    m_spinner.start();
    for (Gtk::Widget* widget : m_keptFromKeyboard) widget->set_sensitive(false);
}

Q7ZBusyCover::~Q7ZBusyCover() { close(); }

bool Q7ZBusyCover::cancel() {
    if (!m_onCancel || !isShown()) return false;
    close();
    m_onCancel();
    return true;
}

void Q7ZBusyCover::close() {
    if (!isShown()) return;
    m_spinner.stop();
    static_cast<Gtk::Container&>(m_overlay).remove(*this);  // Gtk::Bin hides this overload
    for (Gtk::Widget* widget : m_keptFromKeyboard) widget->set_sensitive(true);
}
