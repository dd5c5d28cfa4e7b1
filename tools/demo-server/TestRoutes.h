#pragma once
// Routes under /test/ that let the HTTP tests meet every kind of answer over loopback:
//   /test/status/N?body=TEXT     status N with TEXT (default "status N")
//   /test/html-404               404 with an HTML page
//   /test/not-utf8               200 with a body that is not UTF-8
//   /test/slow?ms=N              200 after N milliseconds (at most 20 s)
//   /test/oversized?mib=N        200 with N MiB (default 9) announced by Content-Length
//   /test/oversized-stream?mib=N the same, chunked, so only the streamed size tells
//   /test/redirect?to=URL        302 to URL; /test/redirect-loop redirects to itself
//   /test/echo                   any method; answers {"method","path","query","headers","body",
//                                "bodyLength","form"} as JSON (header names in lower case)
//   /test/hostile.html           a page that tries at load what only the organisation's pages
//                                may; open it under the server's other name (localhost for
//                                127.0.0.1) to play another site. It posts what it achieved to
//                                its opener or parent: {hostileReport: {names, answers, ...}}
// Every route answers GET and POST.

#include <atomic>

class WebAppFiles;

namespace httplib {
class Server;
}

// The sample web app's files that only these routes serve.
inline constexpr const char* kHostilePageFile = "hostile.html";

// stopping: set when the server shuts down, so a slow answer gives up its wait.
void addTestRoutes(httplib::Server& server, const std::atomic<bool>& stopping, const WebAppFiles& webApp);
