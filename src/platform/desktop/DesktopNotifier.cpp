#include "platform/desktop/DesktopNotifier.h"

#include <giomm/notification.h>

#include "platform/desktop/NotificationBodyFormat.h"

namespace {

using Target = std::tuple<Glib::ustring, Glib::ustring, Glib::ustring>;  // id, kind, text

}  // namespace

DesktopNotifier::DesktopNotifier(Glib::RefPtr<Gio::Application> application, ActivationHandler handler)
    : m_application(std::move(application)), m_handler(std::move(handler)) {
    m_action = Gio::SimpleAction::create(kActionName, Glib::Variant<Target>::variant_type());
    m_action->signal_activate().connect(sigc::mem_fun(*this, &DesktopNotifier::on_notification_activated));
    m_application->add_action(m_action);
}

DesktopNotifier::~DesktopNotifier() {
    // A notifier made after this one has put its own action in place: leave that one.
    if (m_application->lookup_action(kActionName) == m_action) m_application->remove_action(kActionName);
}

std::string DesktopNotifier::post(const std::string& title, const std::string& body, const std::string& kind,
                                  const std::string& text) {
    if (!m_application->is_registered()) return {};
    const std::string id = "notice-" + runToken() + "-" + std::to_string(s_nextId++);
    m_posted.insert(id);
    auto notification = Gio::Notification::create(title);
    notification->set_default_action_variant(std::string("app.") + kActionName,
                                             Glib::Variant<Target>::create(Target(id, kind, text)));
    // The page's text is shown as text, whatever the desktop does with markup.
    m_unsent->insert(id);
    NotificationBodyFormat::whenKnown(
        m_application->get_dbus_connection() ? m_application->get_dbus_connection()->gobj() : nullptr,
        [application = m_application, unsent = m_unsent, notification, id, body](bool isMarkup) {
            if (unsent->erase(id) == 0 || !application->is_registered()) return;  // withdrawn meanwhile
            notification->set_body(isMarkup ? NotificationBodyFormat::escaped(body) : body);
            application->send_notification(id, notification);
        });
    return id;
}

const std::string& DesktopNotifier::runToken() {
    static const std::string token = std::to_string(g_get_real_time());
    return token;
}

void DesktopNotifier::withdrawAll() {
    for (const std::string& id : std::set<std::string>(m_posted)) withdraw(id);
}

void DesktopNotifier::withdraw(const std::string& id) {
    m_posted.erase(id);
    if (m_unsent->erase(id) > 0) return;
    if (!id.empty() && m_application->is_registered()) m_application->withdraw_notification(id);
}

void DesktopNotifier::on_notification_activated(const Glib::VariantBase& target) {
    if (!target.is_of_type(Glib::Variant<Target>::variant_type())) return;
    const auto [id, kind, text] = Glib::VariantBase::cast_dynamic<Glib::Variant<Target>>(target).get();
    withdraw(id);
    if (m_handler) m_handler(kind, text);
}
