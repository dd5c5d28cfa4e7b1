#include "PrivateCloudRoutes.h"

#include <httplib.h>

#include "DemoData.h"
#include "FormBody.h"

namespace {

std::string formValue(const std::vector<std::pair<std::string, std::string>>& members, const std::string& name) {
    for (const auto& [memberName, value] : members)
        if (memberName == name) return value;
    return {};
}

nlohmann::json answerServerSetting(const DemoData& data, const httplib::Request& request) {
    const nlohmann::json rejected = {{"IsSuccess", false}};
    if (request.get_param_value("ASK") != "getServerSetting") return rejected;
    const auto members = parseFormBody(request.body);
    if (formValue(members, "T").empty()) return rejected;
    return data.answerForCode(formValue(members, "CloudKey")).value_or(rejected);
}

}  // namespace

void addPrivateCloudRoutes(httplib::Server& server, const DemoData& data) {
    server.Post("/PrivateCloudService.ashx", [&data](const httplib::Request& request, httplib::Response& response) {
        response.set_content(answerServerSetting(data, request).dump(), "application/json; charset=utf-8");
    });
}
