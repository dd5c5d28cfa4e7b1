#include "web/policy/Q7ZNavigationPolicy.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>

#include <glib.h>

namespace {

constexpr std::string_view kMeetingLinkPrefix = "zoommtg://";
constexpr std::array<std::string_view, 3> kDesktopSchemes = {"http", "https", "mailto"};
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

// The host as written in the address (no decoding), or nullopt when there is none.
std::optional<std::string> hostOf(std::string_view url) {
    const std::string text(url);
    std::unique_ptr<GUri, decltype(&g_uri_unref)> uri(
        g_uri_parse(text.c_str(), G_URI_FLAGS_ENCODED, nullptr), &g_uri_unref);
    const char* host = uri ? g_uri_get_host(uri.get()) : nullptr;
    if (!host || !*host) return std::nullopt;
    return std::string(host);
}

using Decision = Q7ZNavigationPolicy::Decision;

Decision ignore(std::string desktopUrl = {}, bool closeWindow = false) {
    return {false, std::move(desktopUrl), closeWindow, false};
}

}  // namespace

Q7ZNavigationPolicy::Decision Q7ZNavigationPolicy::decideNavigation(std::string_view url, bool isMainView) {
    if (!url.starts_with(kMeetingLinkPrefix)) return {};
    return ignore(std::string(url), !isMainView);
}

Q7ZNavigationPolicy::Decision Q7ZNavigationPolicy::decideNewWindow(std::string_view url,
                                                                   std::string_view mainFrameUrl) {
    const std::optional<std::string> host = hostOf(url);
    if (host && host == hostOf(mainFrameUrl)) return {};
    return ignore(contains(kDesktopSchemes, schemeOf(url)) ? std::string(url) : std::string());
}

Q7ZNavigationPolicy::Decision Q7ZNavigationPolicy::decideResponse(std::string_view url, std::string_view mimeType,
                                                                  bool isMainView) {
    if (schemeOf(url) == "file") return ignore();
    if (contains(kShownTypes, mimeType)) return {};
    return {true, {}, !isMainView, true};
}
