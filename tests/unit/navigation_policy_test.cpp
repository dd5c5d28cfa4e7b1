// The web host's decisions as the engine asks for them: navigations (meeting links), new
// windows (same host or not) and responses (files, pages, downloads), each written as what
// happens: used or ignored, handed to the desktop, window closed, download started. A meeting
// link in the main view and in a popup, a new window of the same or another host and an XML
// page are proven through the web host in its GUI test; here are the cases it does not reach.

#include "web/policy/Q7ZNavigationPolicy.h"

#include <string>

#include <gtest/gtest.h>

namespace {

std::string outcome(const Q7ZNavigationPolicy::Decision& decision, const std::string& url) {
    std::string text = decision.use ? "use" : "ignore";
    if (!decision.desktopUrl.empty()) text += decision.desktopUrl == url ? " desktop" : " desktop(other address)";
    if (decision.closeWindow) text += " close";
    return decision.startDownload ? text + " download" : text;
}

TEST(NavigationPolicy, Decisions) {
    enum Ask { Navigation, NewWindow, Response };
    const char* main = "https://chat.example.com/app";
    const struct {
        Ask ask;
        std::string url, other;  // other: the main frame's address, or the response's type
        bool isMainView;
        const char* expected;
    } cases[] = {
        {Navigation, "ZOOMMTG://zoom.us/j?c=1", "", false, "use"},
        {NewWindow, "http://chat.example.com:81/popup", main, false, "use"},
        {NewWindow, "https://CHAT.example.com/a", main, false, "ignore desktop"},
        {NewWindow, "mailto:ann@example.com", main, false, "ignore desktop"},
        {NewWindow, "https://chat.example.com/a", "about:blank", false, "ignore desktop"},
        {NewWindow, "javascript:alert(1)", main, false, "ignore"},
        {NewWindow, "file:///etc/passwd", main, false, "ignore"},
        {Response, "file:///home/a.html", "text/html", true, "ignore"},
        {Response, "FILE:///home/b.zip", "application/zip", false, "ignore"},
        {Response, "https://chat.example.com/c", "application/json", true, "use download"},
        {Response, "https://chat.example.com/d", "application/pdf", false, "use close download"},
    };
    for (const auto& [ask, url, other, isMainView, expected] : cases) {
        const auto decision = ask == Navigation ? Q7ZNavigationPolicy::decideNavigation(url, isMainView)
                              : ask == NewWindow ? Q7ZNavigationPolicy::decideNewWindow(url, other)
                                                 : Q7ZNavigationPolicy::decideResponse(url, other, isMainView);
        EXPECT_EQ(outcome(decision, url), expected) << url << " " << other;
    }
}

}  // namespace
