#pragma once
// The top-level X11 windows of a program under test, seen and closed as a window manager
// would (through tests/support/x11_windows.py and python3-xlib on $DISPLAY).

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace X11Windows {

std::vector<std::string> windowsOf(pid_t pid, const std::string& title);
// "viewable", "unviewable", "unmapped"; nullopt when the window cannot be read.
std::optional<std::string> mapState(const std::string& windowId);
// A WM_DELETE_WINDOW client message, what the close button of a window manager sends.
bool sendDeleteWindow(const std::string& windowId);

}  // namespace X11Windows
