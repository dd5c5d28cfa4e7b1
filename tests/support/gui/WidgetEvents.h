#pragma once
// Working widgets from a test as the desktop would: walking a window's widgets, and the focus
// and key events the window system sends, delivered straight to the window.

#include <string>
#include <vector>

#include <gtkmm/container.h>
#include <gtkmm/window.h>

// The widget and everything inside it, depth first.
inline std::vector<Gtk::Widget*> widgetTree(Gtk::Widget& root) {
    std::vector<Gtk::Widget*> tree{&root};
    if (auto* container = dynamic_cast<Gtk::Container*>(&root)) {
        container->foreach ([&tree](Gtk::Widget& child) {
            for (Gtk::Widget* widget : widgetTree(child)) tree.push_back(widget);
        });
    }
    return tree;
}

inline std::string accessibleName(Gtk::Widget& widget) { return widget.get_accessible()->get_name(); }

// The window gains (in) or loses the keyboard focus, as when the user switches windows.
inline void sendFocusChange(Gtk::Window& window, bool in) {
    GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
    event->focus_change.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->focus_change.in = in;
    gtk_widget_send_focus_change(GTK_WIDGET(window.gobj()), event);
    gdk_event_free(event);
}

// Without a window manager the focus follows the pointer: a window under it may become active.
inline void movePointerOutside(Gtk::Window& window) {
    GdkDisplay* display = gdk_window_get_display(window.get_window()->gobj());
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    int x = 0, y = 0;
    gdk_window_get_origin(window.get_window()->gobj(), &x, &y);
    gdk_device_warp(pointer, gdk_window_get_screen(window.get_window()->gobj()), x + window.get_width() + 8,
                    y + window.get_height() + 8);
}

inline void sendKeyPress(Gtk::Window& window, guint keyval) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->key.keyval = keyval;
    // Key bindings (a search entry's Escape) are found by the key's hardware code.
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(window.get_display()->gobj()), keyval, &keys,
                                          &count) &&
        count > 0)
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(window.get_display()->gobj())));
    gtk_widget_event(GTK_WIDGET(window.gobj()), event);
    gdk_event_free(event);
}
