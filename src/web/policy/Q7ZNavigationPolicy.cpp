#include "web/policy/Q7ZNavigationPolicy.h"

#include <algorithm>
#include <array>
#include <utility>

#include <glib.h>

#include "platform/GObjectPtr.h"

namespace {

constexpr std::string_view kMeetingLinkPrefix = "zoommtg://";
constexpr std::array<std::string_view, 3> kDesktopSchemes = {"http", "https", "mailto"};
constexpr std::array<std::string_view, 2> kWebSchemes = {"http", "https"};
constexpr std::array<std::string_view, 3> kShownTypes = {"text/html", "text/xml", "application/xml"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& values, std::string_view value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Lower case, as GLib reports it; empty when the text has none.
std::string schemeOf(std::string_view url) {
    const std::string text(url);
    const char* scheme = g_uri_peek_scheme(text.c_str());  // interned, never freed
    return scheme ? scheme : "";
}

// The host as written in the address (no decoding, case kept), or nullopt when there is none.
std::optional<std::string> writtenHostOf(std::string_view url) {
    const std::string text(url);
    const GUriPtr uri(g_uri_parse(text.c_str(), G_URI_FLAGS_ENCODED, nullptr));
    const char* host = uri ? g_uri_get_host(uri.get()) : nullptr;
    if (!host || !*host) return std::nullopt;
    return std::string(host);
}

using Decision = Q7ZNavigationPolicy::Decision;

Decision ignore(std::string desktopUrl = {}, bool closeWindow = false) {
    return {false, std::move(desktopUrl), closeWindow, false};
}

// Pages of other hosts asking for what only the organisation's may have: a detail for whoever
// looks into a page that does not work as it should.
Decision refuse(const char* what, std::string_view url) {
    g_debug("%s %.*s was refused: a page that is not the organisation's asked without the user's gesture", what,
            static_cast<int>(url.size()), url.data());
    return ignore();
}

}  // namespace

bool Q7ZNavigationPolicy::mayHandOver(const Action& action) const {
    return action.userGesture || m_pages.isOrganisationHost(action.requesterHost);
}

Decision Q7ZNavigationPolicy::decideNavigation(const Action& action) const {
    if (action.url.starts_with(kMeetingLinkPrefix)) {
        if (!mayHandOver(action)) return refuse("the meeting link", action.url);
        return ignore(std::string(action.url), !action.isMainView);
    }
    // Leaving for another site by a click: the browser shows it, the web app stays. Redirects,
    // forms and scripts still load in place (a sign-in may pass through another host).
    const auto host = Q7ZOrganisationPages::hostOf(action.url);
    if (action.isMainView && action.linkClicked && action.userGesture && !action.isRedirect &&
        contains(kWebSchemes, schemeOf(action.url)) && !m_pages.isOrganisationHost(host) &&
        host != Q7ZOrganisationPages::hostOf(action.pageUrl))
        return ignore(std::string(action.url));
    return {};
}

bool Q7ZNavigationPolicy::handsToDesktop(std::string_view url) { return contains(kDesktopSchemes, schemeOf(url)); }

Decision Q7ZNavigationPolicy::decideNewWindow(const Action& action) const {
    const std::optional<std::string> host = writtenHostOf(action.url);
    if (host && host == writtenHostOf(action.pageUrl)) return {};
    if (!handsToDesktop(action.url)) return ignore();
    if (!mayHandOver(action)) return refuse("the new window", action.url);
    return ignore(std::string(action.url));
}

// The frame a response is for is the page that asked for it where the request tells; else the
// page the main frame shows, or the new address (of a subframe, or a window still blank).
Decision Q7ZNavigationPolicy::decideResponse(const Response& response) const {
    if (schemeOf(response.url) == "file") return ignore();
    if (contains(kShownTypes, response.mimeType)) return {};
    std::optional<std::string> frameHost = response.requesterHost;
    if (!frameHost && response.isMainFrameResource) frameHost = Q7ZOrganisationPages::hostOf(response.pageUrl);
    if (!frameHost) frameHost = Q7ZOrganisationPages::hostOf(response.url);
    if (!m_pages.isOrganisationHost(frameHost)) return refuse("the download", response.url);
    const bool fetchableAgain = response.method == "GET" && contains(kWebSchemes, schemeOf(response.url));
    return {true, {}, !response.isMainView, true, !fetchableAgain};
}
