#include "DemoData.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

nlohmann::json readJsonFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return nlohmann::json::parse(text.str());
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

DemoOrganisation organisationFromJson(const nlohmann::json& item) {
    DemoOrganisation organisation;
    organisation.basePath = item.at("base").get<std::string>();
    organisation.name = item.value("name", organisation.basePath);
    organisation.broken = item.value("broken", false);
    if (organisation.basePath.empty() || organisation.basePath.front() != '/' || organisation.basePath.back() != '/')
        throw std::runtime_error("organisation base must begin and end with '/': " + organisation.basePath);
    return organisation;
}

void substituteBaseInStrings(nlohmann::json& value, const std::string& baseUrl) {
    if (value.is_string()) {
        value = substituteBase(value.get<std::string>(), baseUrl);
    } else if (value.is_structured()) {
        for (auto& child : value) substituteBaseInStrings(child, baseUrl);
    }
}

}  // namespace

std::string substituteBase(std::string text, const std::string& baseUrl) {
    static const std::string placeholder = "{base}";
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + baseUrl.size()))
        text.replace(at, placeholder.size(), baseUrl);
    return text;
}

DemoData DemoData::loadFromFolder(const std::string& folder) {
    DemoData data;
    const nlohmann::json organisations = readJsonFile(folder + "/organisations.json");
    try {
        for (const auto& item : organisations.at("organisations"))
            data.m_organisations.push_back(organisationFromJson(item));
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(folder + "/organisations.json: " + e.what());
    }
    data.m_codes = readJsonFile(folder + "/codes.json");
    if (!data.m_codes.is_object()) throw std::runtime_error(folder + "/codes.json: not an object");
    return data;
}

const DemoOrganisation* DemoData::organisationWithBasePath(const std::string& basePath) const {
    for (const auto& organisation : m_organisations)
        if (organisation.basePath == basePath) return &organisation;
    return nullptr;
}

std::optional<nlohmann::json> DemoData::answerForCode(const std::string& code) const {
    const auto found = m_codes.find(code);
    if (found == m_codes.end()) return std::nullopt;
    nlohmann::json answer = *found;
    substituteBaseInStrings(answer, m_baseUrl);
    return answer;
}
