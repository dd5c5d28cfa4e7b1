#pragma once
// The organisation's pages: every address on the chosen server's host, over any scheme and
// port, the "same host" of the new-window rule. Only frames showing such a page get the
// scripting bridge and the page's dialogs, and only they download, or hand addresses to the
// desktop without the user's gesture.
//
// The engine does not say which frame asked for a request; the request itself tells it where
// it can: a blob: address holds the origin of the page that made it, and a web request names
// its page in the Referer header (unless the page chose to send none).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Q7ZOrganisationPages {
public:
    // serverUrl: the chosen server's base address. Without a host, no page is the organisation's.
    explicit Q7ZOrganisationPages(std::string_view serverUrl);

    // The address's host in lower case, as written (no decoding); nothing when it has none.
    static std::optional<std::string> hostOf(std::string_view url);
    // The host of the page that made a request to url, as far as the request tells.
    static std::optional<std::string> requesterHost(std::string_view url, std::string_view referer);

    bool isOrganisationHost(const std::optional<std::string>& host) const { return host && m_host && *host == *m_host; }
    bool contains(std::string_view url) const { return isOrganisationHost(hostOf(url)); }
    // Patterns of the engine's user scripts (WebKitUserScript allow lists) for these pages.
    std::vector<std::string> urlPatterns() const;

private:
    std::optional<std::string> m_host;
};
