#pragma once
// What the web host does with a navigation, a page's request for a new window and a
// response, decided from plain text so the rules hold whatever engine asks:
// - a meeting link ("zoommtg://") goes to the desktop's meeting client instead of the view;
// - a link the user clicks in the main view to a host that is neither the organisation's nor
//   the shown page's goes to the desktop's browser, and the web app stays;
// - a new window stays in the program only for the main page's own host; another host's
//   web or mail address goes to the desktop, anything else is dropped;
// - local files are never shown, web pages and XML are, every other response is downloaded
//   when the organisation's page asked for it, and dropped otherwise.
// A page that is not the organisation's hands nothing to the desktop without the user's gesture.

#include <optional>
#include <string>
#include <string_view>

#include "web/policy/Q7ZOrganisationPages.h"

class Q7ZNavigationPolicy {
public:
    struct Decision {
        bool use = true;             // false: the engine is told to ignore the request
        std::string desktopUrl;      // an address for the desktop to open; empty for none
        bool closeWindow = false;    // close the window of the view that asked
        bool startDownload = false;  // fetch the request as a page download
        // with startDownload: the engine saves this very answer instead (a form's answer, a blob:
        // or data: address, which fetched again would be another answer or none)
        bool engineDownload = false;
    };

    // A navigation or a new window, as the engine tells it.
    struct Action {
        std::string_view url;
        // The page that asked (Q7ZOrganisationPages::requesterHost); nothing when unknown.
        std::optional<std::string> requesterHost;
        bool userGesture = false;
        bool linkClicked = false;
        // A server's answer sends the navigation on (it keeps the first request's gesture and type).
        bool isRedirect = false;
        // The program's main view, whose window is only ever hidden, never closed.
        bool isMainView = false;
        // The address the view shows (its main frame's).
        std::string_view pageUrl;
    };

    struct Response {
        std::string_view url;
        std::string_view mimeType;
        std::optional<std::string> requesterHost;
        bool isMainFrameResource = false;
        bool isMainView = false;
        std::string_view pageUrl;
        std::string_view method = "GET";  // of the request answered
    };

    explicit Q7ZNavigationPolicy(Q7ZOrganisationPages pages) : m_pages(std::move(pages)) {}

    // Whether the desktop's handlers may be given the address: http, https and mailto.
    static bool handsToDesktop(std::string_view url);

    Decision decideNavigation(const Action& action) const;
    Decision decideNewWindow(const Action& action) const;
    Decision decideResponse(const Response& response) const;

private:
    // The user's own doing, or the organisation's page asking.
    bool mayHandOver(const Action& action) const;

    Q7ZOrganisationPages m_pages;
};
