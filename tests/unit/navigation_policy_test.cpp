// The web host's decisions as the engine asks for them: navigations (meeting links, links the
// user clicks), new windows (same host or not) and responses (files, pages, downloads), each
// written as what happens: used or ignored, handed to the desktop, window closed, download
// started; with who asked (the organisation's page, another, unknown) and whether the user
// did. The engine's side of it (the Referer it sends, its gestures) is proven through the web
// host in its GUI test; here are the cases it does not reach, and the hand-off throttle.

#include "web/policy/Q7ZNavigationPolicy.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "web/policy/Q7ZHandOffThrottle.h"
#include "web/policy/Q7ZZoomLevels.h"

namespace {

std::string outcome(const Q7ZNavigationPolicy::Decision& decision, const std::string& url) {
    std::string text = decision.use ? "use" : "ignore";
    if (!decision.desktopUrl.empty()) text += decision.desktopUrl == url ? " desktop" : " desktop(other address)";
    if (decision.closeWindow) text += " close";
    return decision.startDownload ? text + " download" : text;
}

TEST(NavigationPolicy, DecisionsFollowWhoAsked) {
    enum Ask { Navigation, Link, Redirect, NewWindow, Response, MainResponse };
    const Q7ZNavigationPolicy policy(Q7ZOrganisationPages("https://Chat.example.com/org/"));
    const std::string main = "https://chat.example.com/app", idp = "https://id.example.net/login";
    const std::optional<std::string> organisation = "chat.example.com", other = "ads.example.org", unknown;
    const struct {
        Ask ask;
        std::string url;
        std::optional<std::string> requester;
        bool gesture, isMainView;
        std::string page;  // the view's page, or the response's type
        const char* expected;
    } cases[] = {
        {Navigation, "zoommtg://zoom.us/j?c=1", unknown, true, false, main, "ignore desktop close"},
        {Navigation, "zoommtg://zoom.us/j?c=2", unknown, true, true, main, "ignore desktop"},
        {Navigation, "zoommtg://zoom.us/j?c=3", organisation, false, false, main, "ignore desktop close"},
        {Navigation, "zoommtg://zoom.us/j?c=4", unknown, false, true, main, "ignore"},
        {Navigation, "ZOOMMTG://zoom.us/j?c=5", unknown, false, false, main, "use"},
        {Link, "https://news.example.org/a", organisation, true, true, main, "ignore desktop"},
        {Link, "https://news.example.org/b", organisation, false, true, main, "use"},
        {Link, "https://news.example.org/c", organisation, true, false, main, "use"},
        {Link, "https://CHAT.example.com:8443/d", organisation, true, true, main, "use"},
        {Link, "https://id.example.net/next", unknown, true, true, idp, "use"},
        {Redirect, "https://id.example.net/sso", organisation, true, true, main, "use"},
        {Link, "mailto:ann@example.com", organisation, true, true, main, "use"},
        {NewWindow, "http://chat.example.com:81/popup", unknown, false, false, main, "use"},
        {NewWindow, "https://CHAT.example.com/a", organisation, false, false, main, "ignore desktop"},
        {NewWindow, "mailto:ann@example.com", unknown, true, false, main, "ignore desktop"},
        {NewWindow, "https://news.example.org/", other, false, false, main, "ignore"},
        {NewWindow, "https://news.example.org/", unknown, false, false, main, "ignore"},
        {NewWindow, "https://chat.example.com/a", organisation, false, false, "about:blank", "ignore desktop"},
        {NewWindow, "javascript:alert(1)", organisation, true, false, main, "ignore"},
        {NewWindow, "file:///etc/passwd", organisation, true, false, main, "ignore"},
        {Response, "file:///home/a.html", organisation, false, true, "text/html", "ignore"},
        {Response, "FILE:///home/b.zip", organisation, false, false, "application/zip", "ignore"},
        {Response, "https://ads.example.org/c.html", other, false, true, "text/html", "use"},
        {Response, "https://cdn.example.org/c.json", organisation, false, true, "application/json", "use download"},
        {Response, "https://chat.example.com/d.pdf", organisation, false, false, "application/pdf",
         "use close download"},
        {Response, "https://chat.example.com/e.zip", other, false, true, "application/zip", "ignore"},
        {Response, "https://chat.example.com/f.zip", unknown, false, true, "application/zip", "use download"},
        {Response, "https://ads.example.org/g.zip", unknown, false, true, "application/zip", "ignore"},
        {Response, "blob:https://ads.example.org/5f0c", organisation, false, true, "application/zip", "ignore"},
        {MainResponse, "https://cdn.example.org/h.zip", unknown, false, true, "application/zip", "use download"},
    };
    for (const auto& [ask, url, requester, gesture, isMainView, page, expected] : cases) {
        const Q7ZNavigationPolicy::Action action{url,
                                                 requester,
                                                 gesture,
                                                 ask == Link || ask == Redirect,
                                                 ask == Redirect,
                                                 isMainView,
                                                 ask < Response ? page : main};
        const auto requestHost =
            Q7ZOrganisationPages::requesterHost(url, requester ? "https://" + *requester + "/" : "");
        const auto decision =
            ask == NewWindow  ? policy.decideNewWindow(action)
            : ask >= Response ? policy.decideResponse({url, page, requestHost, ask == MainResponse, isMainView, main})
                              : policy.decideNavigation(action);
        EXPECT_EQ(outcome(decision, url), expected) << url << " " << page;
    }
}

TEST(NavigationPolicy, AnAddressGoesToTheDesktopOnceInTwoSeconds) {
    Q7ZHandOffThrottle throttle;
    const std::pair<const char*, std::int64_t> asks[] = {{"zoommtg://a", 0},
                                                         {"zoommtg://a", 1'999'999},
                                                         {"zoommtg://b", 10},
                                                         {"zoommtg://a", 2'000'000},
                                                         {"zoommtg://a", 2'500'000}};
    std::string admitted;
    for (const auto& [url, now] : asks) admitted += throttle.admit(url, now) ? "1" : "0";
    EXPECT_EQ(admitted, "10110");
}

TEST(ZoomLevels, StepsStopAtTheEndsAndAStoredLevelOutsideThemIsActualSize) {
    using Step = Q7ZZoomLevels::Step;
    const std::tuple<int, Step, int> steps[] = {{100, Step::In, 110},        {300, Step::In, 300},  {50, Step::Out, 50},
                                                {105, Step::In, 110},        {105, Step::Out, 100}, {67, Step::Out, 50},
                                                {250, Step::ActualSize, 100}};
    for (const auto& [from, step, to] : steps) EXPECT_EQ(Q7ZZoomLevels::next(from, step), to) << from;
    const std::pair<std::optional<std::int64_t>, int> stored[] = {
        {std::nullopt, 100}, {49, 100}, {301, 100}, {175, 175}};
    for (const auto& [value, shown] : stored) EXPECT_EQ(Q7ZZoomLevels::fromStored(value), shown);
}

}  // namespace
