#pragma once
// The addresses the program talks to and the small network and text tools built on them.

#include <optional>
#include <string>
#include <string_view>

namespace Q7ZACUtility {

// Base URL of the chosen server (settings' serverSequence in the remote configuration's
// list); "" when that sequence has no entry.
std::string getServerUrl();
// "<server>VUD/Parlor/ParlorLogin.aspx?lang=<language>"
std::string getLoginPageUrl();
// POSTs an empty form to the login page on the calling thread; true only for status 200.
bool detectLoginPageValidThread();
// POSTs body as a form; the response body decoded as UTF-8 whatever the status, "" on failure.
std::string doHttpPostWithUrl(const std::string& url, const std::string& body);

// Percent-encodes exactly the 18 reserved characters of RFC 3986.
std::string urlEncodeValue(std::string_view value);
// nullopt when an escape is malformed.
std::optional<std::string> getUrlDecodeString(std::string_view value);
// A new random UUID, upper case, 36 characters.
std::string getUUIDString();

}  // namespace Q7ZACUtility
