#include "LoginPageRoutes.h"

#include <httplib.h>

#include "DemoData.h"

namespace {

std::string escapeHtml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '&': escaped += "&amp;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string loginPageHtml(const DemoOrganisation& organisation, const std::string& language) {
    return "<!DOCTYPE html>\n<html lang=\"" + escapeHtml(language) + "\"><head><meta charset=\"utf-8\"><title>" +
           escapeHtml(organisation.name) + "</title></head>\n<body><h1>" + escapeHtml(organisation.name) +
           "</h1><form method=\"post\"><input name=\"user\" placeholder=\"user\"> "
           "<input name=\"password\" type=\"password\"> <button>Sign in</button></form></body></html>\n";
}

void answerLoginPage(const DemoData& data, const httplib::Request& request, httplib::Response& response) {
    const DemoOrganisation* organisation = data.organisationWithBasePath(request.matches[1].str());
    if (!organisation) {
        response.status = 404;
        response.set_content("<html><body><h1>No such organisation</h1></body></html>\n", "text/html; charset=utf-8");
    } else if (organisation->broken) {
        response.status = 500;
        response.set_content("<html><body><h1>Server error</h1></body></html>\n", "text/html; charset=utf-8");
    } else {
        response.set_content(loginPageHtml(*organisation, request.get_param_value("lang")), "text/html; charset=utf-8");
    }
}

}  // namespace

void addLoginPageRoutes(httplib::Server& server, const DemoData& data) {
    static const char* const pattern = R"((/(?:.*/)?)VUD/Parlor/ParlorLogin\.aspx)";
    auto handler = [&data](const httplib::Request& request, httplib::Response& response) {
        answerLoginPage(data, request, response);
    };
    server.Get(pattern, handler);
    server.Post(pattern, handler);
}
