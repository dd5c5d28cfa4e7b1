#include "web/Q7ZRequester.h"

#include <libsoup/soup.h>

#include "web/policy/Q7ZOrganisationPages.h"

namespace Q7ZRequester {

std::optional<std::string> hostOf(WebKitURIRequest* request) {
    // Copied first: asking for the headers may replace the request's address text.
    const char* uri = webkit_uri_request_get_uri(request);
    const std::string url = uri ? uri : "";
    SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(request);
    const char* referer = headers ? soup_message_headers_get_one(headers, "Referer") : nullptr;
    return Q7ZOrganisationPages::requesterHost(url, referer ? referer : "");
}

}  // namespace Q7ZRequester
