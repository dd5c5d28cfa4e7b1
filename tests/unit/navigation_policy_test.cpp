// The web host's decisions as the engine asks for them: navigations (meeting links, links the
// user clicks), new windows (same host or not) and responses (files, pages, downloads), each
// written as what happens: used or ignored, handed to the desktop, window closed, download
// started; with who asked (the organisation's page, another, unknown) and whether the user
// did. The engine's side of it (the Referer it sends, its gestures) is proven through the web
// host in its GUI test; here are the cases it does not reach, and the hand-off throttle.
//
// Then what the main view does when its page does not load: the failure named from the
// engine's error (those the end-to-end test cannot provoke: a refused port and an unknown name
// are named there) or the certificate, the growing delays of the automatic retries, and the
// rule that keeps a page whose process keeps ending from reloading in a loop. The error page
// itself, the engine's errors and the retries as they happen are proven end to end
// (error_page_test.py).

#include "web/policy/Q7ZNavigationPolicy.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "web/policy/Q7ZHandOffThrottle.h"
#include "web/policy/Q7ZLoadFailure.h"
#include "web/policy/Q7ZRecoveryPolicy.h"
#include "web/policy/Q7ZZoomLevels.h"

namespace {

using Kind = Q7ZLoadFailure::Kind;
using namespace std::chrono_literals;

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
        const bool link = ask == Link || ask == Redirect;
        const Q7ZNavigationPolicy::Action action{
            url, requester, gesture, link, ask == Redirect, isMainView, ask < Response ? page : main};
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
    const std::tuple<const char*, std::int64_t, bool> asks[] = {{"zoommtg://a", 0, true},
                                                                {"zoommtg://a", 1'999'999, false},
                                                                {"zoommtg://b", 10, true},
                                                                {"zoommtg://a", 2'000'000, true},
                                                                {"zoommtg://a", 2'500'000, false}};
    for (const auto& [url, now, admitted] : asks) EXPECT_EQ(throttle.admit(url, now), admitted) << url << " " << now;
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

TEST(LoadFailure, EachErrorIsNamedAndTheCertificateDescribed) {
    const std::tuple<GQuark, int, std::optional<Kind>> errors[] = {
        {G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE, Kind::CannotReach},  // no network to ask
        {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, Kind::TookTooLong},
        {G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED, Kind::ConnectionLost},
        {G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, Kind::CertificateNotTrusted},
        {g_quark_from_static_string("WebKitNetworkError"), 302, std::nullopt},  // the engine's own
    };
    for (const auto& [domain, code, kind] : errors) {
        GError error{domain, code, const_cast<gchar*>("")};
        EXPECT_EQ(Q7ZLoadFailure::kindOfNetworkError(&error), kind) << g_quark_to_string(domain) << " " << code;
    }
    EXPECT_EQ(Q7ZLoadFailure::kindOfNetworkError(nullptr), std::nullopt);

    const auto described = Q7ZLoadFailure::describe(
        nullptr, GTlsCertificateFlags(G_TLS_CERTIFICATE_UNKNOWN_CA | G_TLS_CERTIFICATE_EXPIRED));
    EXPECT_EQ(described.problemKeys, (std::vector<std::string>{"CertificateUnknownAuthority", "CertificateExpired"}));
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(Q7ZLoadFailure::fingerprint(abc, sizeof abc),
              "BA:78:16:BF:8F:01:CF:EA:41:41:40:DE:5D:AE:22:23:B0:03:61:A3:96:17:7A:9C:B4:10:FF:61:F2:00:15:AD");
}

TEST(RecoveryPolicy, RetriesSlowDownAndASecondCrashWithinAMinuteIsNotReloaded) {
    Q7ZRecoveryPolicy policy;
    for (const auto delay : {5s, 15s, 60s, 300s, 300s}) EXPECT_EQ(policy.nextRetryDelay(), delay);
    policy.pageLoaded();
    EXPECT_EQ(policy.nextRetryDelay(), 5s);

    const auto start = Q7ZRecoveryPolicy::Clock::now();
    EXPECT_TRUE(policy.reloadAfterCrash(start));
    EXPECT_FALSE(policy.reloadAfterCrash(start + 59s));
    EXPECT_TRUE(policy.reloadAfterCrash(start + 59s + 61s));

    EXPECT_EQ(Q7ZRecoveryPolicy::loadTimeout(std::nullopt), Q7ZRecoveryPolicy::kLoadTimeout);
    EXPECT_EQ(Q7ZRecoveryPolicy::loadTimeout(0), Q7ZRecoveryPolicy::kLoadTimeout);
    EXPECT_EQ(Q7ZRecoveryPolicy::loadTimeout(3), 3s);
}

}  // namespace
