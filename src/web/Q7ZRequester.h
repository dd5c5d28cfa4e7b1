#pragma once
// The host of the page that made an engine request, as the request tells it (a blob: address's
// origin, else its Referer); nothing when it does not.

#include <optional>
#include <string>

#include <webkit2/webkit2.h>

namespace Q7ZRequester {

std::optional<std::string> hostOf(WebKitURIRequest* request);

}  // namespace Q7ZRequester
