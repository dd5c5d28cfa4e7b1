#pragma once
// The login page of every organisation declared in the data folder:
// <base>VUD/Parlor/ParlorLogin.aspx?lang=xx, by GET or POST. A broken organisation answers 500,
// an undeclared base 404.

namespace httplib {
class Server;
}
class DemoData;

void addLoginPageRoutes(httplib::Server& server, const DemoData& data);
