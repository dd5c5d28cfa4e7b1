#include "WebAppRoutes.h"

#include <httplib.h>

#include "WebAppFiles.h"

void addWebAppRoutes(httplib::Server& server, const WebAppFiles& webApp) {
    server.Get(R"(/webapp/([A-Za-z0-9_.-]+))", [&webApp](const httplib::Request& request, httplib::Response& response) {
        const std::string name = request.matches[1].str();
        if (const std::string* content = webApp.file(name)) {
            // The files may change from one run of the server to the next: no stale copy in the web view.
            response.set_header("Cache-Control", "no-cache");
            response.set_content(*content, WebAppFiles::contentTypeOf(name));
        } else {
            response.status = 404;
            response.set_content("no such file\n", "text/plain; charset=utf-8");
        }
    });
}
