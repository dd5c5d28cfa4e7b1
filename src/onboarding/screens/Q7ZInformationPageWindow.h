#pragma once
// The product information page in a window of its own: 600 × 600, resizable down to 200 × 200,
// with the main window's title and icon, centred on the screen and brought to the front.
// Nothing keeps it: the toolkit holds the window while it is open and destroys it, with its
// web view, when the user closes it.

#include <string>

namespace Gtk {
class Window;
}

namespace Q7ZInformationPageWindow {

inline constexpr int kContentWidth = 600;
inline constexpr int kContentHeight = 600;
inline constexpr int kMinimumSize = 200;

// "<host>/get-more-info/" for the build's information page host.
std::string informationPageUrl();

// Opens the window and starts loading url in it; mainWindow lends its title and icon.
void open(const std::string& url, Gtk::Window* mainWindow);

}  // namespace Q7ZInformationPageWindow
