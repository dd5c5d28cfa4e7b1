#include "web/policy/Q7ZOrganisationPages.h"

#include "platform/GObjectPtr.h"

namespace {

constexpr std::string_view kBlobPrefix = "blob:";

}  // namespace

Q7ZOrganisationPages::Q7ZOrganisationPages(std::string_view serverUrl) : m_host(hostOf(serverUrl)) {}

std::optional<std::string> Q7ZOrganisationPages::hostOf(std::string_view url) {
    const std::string text(url);
    const GUriPtr uri(g_uri_parse(text.c_str(), G_URI_FLAGS_ENCODED, nullptr));
    const char* host = uri ? g_uri_get_host(uri.get()) : nullptr;
    if (!host || !*host) return std::nullopt;
    return std::string(GCharPtr(g_ascii_strdown(host, -1)).get());
}

std::optional<std::string> Q7ZOrganisationPages::requesterHost(std::string_view url, std::string_view referer) {
    if (url.size() > kBlobPrefix.size() && g_ascii_strncasecmp(url.data(), kBlobPrefix.data(), kBlobPrefix.size()) == 0)
        return hostOf(url.substr(kBlobPrefix.size()));
    if (referer.empty()) return std::nullopt;
    return hostOf(referer);
}

// The engine's patterns match a host at any port; "*" as the scheme stands for http and https.
std::vector<std::string> Q7ZOrganisationPages::urlPatterns() const {
    if (!m_host) return {};
    const bool isIpv6 = m_host->find(':') != std::string::npos;
    return {"*://" + (isIpv6 ? "[" + *m_host + "]" : *m_host) + "/*"};
}
