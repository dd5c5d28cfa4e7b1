#pragma once
// Desktop notifications sent through the GApplication (GNotification), so the desktop's own
// notification service shows them. A click runs the application action
// "app.notification-activated" whose target holds the notification's id, its kind (e.g.
// "showNotice") and the page's text; the handler gets (kind, text) and the notification is
// withdrawn. Title and body are shown as text (NotificationBodyFormat).
//
// The application must be registered on the session bus before post().

#include <functional>
#include <memory>
#include <set>
#include <string>

#include <giomm/application.h>
#include <giomm/simpleaction.h>

class DesktopNotifier {
public:
    using ActivationHandler = std::function<void(const std::string& kind, const std::string& text)>;

    static constexpr const char* kActionName = "notification-activated";

    DesktopNotifier(Glib::RefPtr<Gio::Application> application, ActivationHandler handler);
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Sends a notification and answers its id; "" when the application is not registered.
    std::string post(const std::string& title, const std::string& body, const std::string& kind,
                     const std::string& text);
    void withdraw(const std::string& id);
    // Withdraws every notification this notifier posted that is still listed.
    void withdrawAll();

private:
    void on_notification_activated(const Glib::VariantBase& target);

    Glib::RefPtr<Gio::Application> m_application;
    Glib::RefPtr<Gio::SimpleAction> m_action;
    ActivationHandler m_handler;
    // For the whole process: a notifier made later (a new web host) must not reuse the id of a
    // notification still listed, which the desktop would then replace.
    static inline unsigned s_nextId = 1;
    // Ids are "notice-<run>-<n>": desktops that keep notifications after the program ends key
    // them by id, so a later run must not reuse an id and replace an unread notification.
    static const std::string& runToken();
    std::set<std::string> m_posted;  // and not withdrawn
    // Posted, and waiting for the desktop to say how it shows bodies.
    std::shared_ptr<std::set<std::string>> m_unsent = std::make_shared<std::set<std::string>>();
};
