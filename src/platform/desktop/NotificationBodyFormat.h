#pragma once
// Whether the desktop reads a notification's body as markup. GLib hands GNotification to the
// freedesktop notification server when neither a portal nor GNOME Shell's own interface
// (org.gtk.Notifications) takes it, and a server that lists "body-markup" among its
// capabilities renders the body as markup: there "<b>" would be bold and "&" could break the
// text, elsewhere an escaped "&lt;" would show as it is. Asked afresh for each notification
// (the server may have changed), without blocking: the answer comes to a callback on the main
// context.

#include <functional>
#include <string>

#include <gio/gio.h>

namespace NotificationBodyFormat {

// then(false) at once when no bus is given or GLib uses another route.
void whenKnown(GDBusConnection* bus, std::function<void(bool isMarkup)> then);

// &, < and > as entities, so that the text shows as it is where bodies are markup.
std::string escaped(const std::string& text);

}  // namespace NotificationBodyFormat
