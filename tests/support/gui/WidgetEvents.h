#pragma once
// Working widgets from a test as the desktop would: walking a window's widgets, and the focus
// and key events the window system sends, delivered straight to the window.

#include <string>
#include <vector>

#include <gtkmm/window.h>

// The widget and everything inside it, depth first.
std::vector<Gtk::Widget*> widgetTree(Gtk::Widget& root);
std::string accessibleName(Gtk::Widget& widget);

// The window gains (in) or loses the keyboard focus, as when the user switches windows.
void sendFocusChange(Gtk::Window& window, bool in);
void sendKeyPress(Gtk::Window& window, guint keyval);
