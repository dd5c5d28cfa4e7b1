#pragma once
// The sample web app's static files: GET /webapp/NAME answers the file NAME of the web app folder
// with its content type (404 for any other name). The pages refer to them by these paths, so
// the app works under every organisation's base.

namespace httplib {
class Server;
}
class WebAppFiles;

void addWebAppRoutes(httplib::Server& server, const WebAppFiles& webApp);
