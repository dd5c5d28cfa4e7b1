#pragma once
// The proxy the desktop sets for an address, as the web view uses it, so that the program's
// own requests (its checks, the organisation's icon, page downloads) reach the server from
// behind a company proxy too. Asked of GIO's default proxy resolver (the desktop's settings,
// a PAC file, or the proxy variables of the environment, as the session configures it); may
// block while a PAC file is read, so it is asked on a worker, where the request runs.

#include <string>

namespace DesktopProxy {

// The proxy for url as curl's CURLOPT_PROXY takes it ("http://proxy:3128", "socks5://…"), or
// "" for a direct connection, which also keeps curl from reading proxy variables of its own.
std::string forUrl(const std::string& url);

}  // namespace DesktopProxy
