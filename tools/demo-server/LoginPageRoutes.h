#pragma once
// The login page of every organisation declared in the data folder:
// <base>VUD/Parlor/ParlorLogin.aspx?lang=xx, by GET or POST. A declared organisation gets the
// sample web app (app.html with "{{organisation}}" and "{{language}}" filled in); a broken one
// answers 500, an undeclared base 404. The program's login-page check is an empty form post, so
// a POST answers like a GET.

namespace httplib {
class Server;
}
class DemoData;
class WebAppFiles;

void addLoginPageRoutes(httplib::Server& server, const DemoData& data, const WebAppFiles& webApp);
