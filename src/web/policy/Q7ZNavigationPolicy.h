#pragma once
// What the web host does with a navigation, a page's request for a new window and a
// response, decided from plain text so the rules hold whatever engine asks:
// - a meeting link ("zoommtg://") goes to the desktop's meeting client instead of the view;
// - a new window stays in the program only for the main page's own host; another host's
//   web or mail address goes to the desktop, anything else is dropped;
// - local files are never shown, web pages and XML are, every other response is downloaded.

#include <string>
#include <string_view>

class Q7ZNavigationPolicy {
public:
    struct Decision {
        bool use = true;            // false: the engine is told to ignore the request
        std::string desktopUrl;     // an address for the desktop to open; empty for none
        bool closeWindow = false;   // close the window of the view that asked
        bool startDownload = false; // fetch the request as a page download
    };

    // isMainView: the program's main view, whose window is only ever hidden, never closed.
    static Decision decideNavigation(std::string_view url, bool isMainView);
    static Decision decideNewWindow(std::string_view url, std::string_view mainFrameUrl);
    static Decision decideResponse(std::string_view url, std::string_view mimeType, bool isMainView);
};
