#include "OnboardingRoutes.h"

#include <httplib.h>

#include "DemoData.h"
#include "SampleFiles.h"

namespace {

constexpr int kIconSize = 96;

const char* const kInformationPage = R"(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Velloq Parlor: enterprise codes</title>
<style>
body { font-family: sans-serif; margin: 32px; color: #373737; }
h1 { font-size: 24px; } p, li { font-size: 15px; line-height: 1.5; color: #696969; }
code { color: #FF6416; font-weight: bold; }
</style></head>
<body>
<h1>Getting an enterprise code</h1>
<p>Velloq Parlor connects you to your organisation's own messaging server. Your administrator
gives you an enterprise code, or a signed setting code, that tells the program which servers
to use.</p>
<p>This demo server knows these enterprise codes:</p>
<ul>
<li><code>velloq-one</code>: Acme, one server</li>
<li><code>velloq-three</code>: Acme Group, three servers to pick from</li>
<li><code>velloq-down</code>: Stillwater, a server whose login page is down</li>
</ul>
</body></html>
)";

}  // namespace

void addOnboardingRoutes(httplib::Server& server, const DemoData& data) {
    server.Get("/get-more-info/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(kInformationPage, "text/html; charset=utf-8");
    });
    server.Get(R"((/(?:.*/)?)icon\.png)", [&data](const httplib::Request& request, httplib::Response& response) {
        const DemoOrganisation* organisation = data.organisationWithBasePath(request.matches[1].str());
        if (!organisation) {
            response.status = 404;
            response.set_content("no such organisation\n", "text/plain");
        } else if (organisation->broken) {
            response.status = 500;
            response.set_content("server error\n", "text/plain");
        } else {
            static const std::string icon = SampleFiles::png(kIconSize);
            response.set_content(icon, "image/png");
        }
    });
}
