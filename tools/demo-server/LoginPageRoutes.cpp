#include "LoginPageRoutes.h"

#include <httplib.h>

#include "DemoData.h"
#include "WebAppFiles.h"

namespace {

std::string escapeHtml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// Replaces every "{{name}}" in page with the HTML-escaped value.
std::string fillPlaceholder(std::string page, const std::string& name, const std::string& value) {
    const std::string placeholder = "{{" + name + "}}", escaped = escapeHtml(value);
    for (auto at = page.find(placeholder); at != std::string::npos; at = page.find(placeholder, at + escaped.size()))
        page.replace(at, placeholder.size(), escaped);
    return page;
}

std::string webAppPage(const WebAppFiles& webApp, const DemoOrganisation& organisation, const std::string& language) {
    const std::string page = fillPlaceholder(*webApp.file("app.html"), "organisation", organisation.name);
    return fillPlaceholder(page, "language", language.empty() ? "en-US" : language);
}

void answerLoginPage(const DemoData& data, const WebAppFiles& webApp, const httplib::Request& request,
                     httplib::Response& response) {
    const DemoOrganisation* organisation = data.organisationWithBasePath(request.matches[1].str());
    if (!organisation) {
        response.status = 404;
        response.set_content("<html><body><h1>No such organisation</h1></body></html>\n", "text/html; charset=utf-8");
    } else if (organisation->broken) {
        response.status = 500;
        response.set_content("<html><body><h1>Server error</h1></body></html>\n", "text/html; charset=utf-8");
    } else {
        response.set_content(webAppPage(webApp, *organisation, request.get_param_value("lang")),
                             "text/html; charset=utf-8");
    }
}

}  // namespace

void addLoginPageRoutes(httplib::Server& server, const DemoData& data, const WebAppFiles& webApp) {
    static const char* const pattern = R"((/(?:.*/)?)VUD/Parlor/ParlorLogin\.aspx)";
    auto handler = [&data, &webApp](const httplib::Request& request, httplib::Response& response) {
        answerLoginPage(data, webApp, request, response);
    };
    server.Get(pattern, handler);
    server.Post(pattern, handler);
}
