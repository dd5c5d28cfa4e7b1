#include "WebAppRoutes.h"

#include <httplib.h>

#include "TestRoutes.h"
#include "WebAppFiles.h"

void addWebAppRoutes(httplib::Server& server, const WebAppFiles& webApp) {
    server.Get(R"(/webapp/([A-Za-z0-9_.-]+))", [&webApp](const httplib::Request& request, httplib::Response& response) {
        const std::string name = request.matches[1].str();
        const std::string* content = name == kHostilePageFile ? nullptr : webApp.file(name);
        if (content) {
            // The files may change from one run of the server to the next: no stale copy in the web view.
            response.set_header("Cache-Control", "no-cache");
            response.set_content(*content, WebAppFiles::contentTypeOf(name));
        } else {
            response.status = 404;
            response.set_content("no such file\n", "text/plain; charset=utf-8");
        }
    });
}
