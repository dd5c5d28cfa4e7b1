#pragma once
// What the program's onboarding screens load besides the login page:
//   GET /get-more-info/       the product information page the description window opens
//   GET <base>icon.png        the organisation icon ("TitleIconUrl") of every declared
//                             organisation, a generated PNG; 500 for a broken one (its server
//                             is down), 404 for an undeclared base

namespace httplib {
class Server;
}
class DemoData;

void addOnboardingRoutes(httplib::Server& server, const DemoData& data);
