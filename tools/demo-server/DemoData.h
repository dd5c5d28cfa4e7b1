#pragma once
// What the demo server serves, read once from its data folder:
//   organisations.json  {"organisations": [{"base": "/orgs/acme/", "name": "Acme", "broken": false}, ...]}
//   codes.json          {"<enterprise code>": <the whole private cloud answer>, ...}
// Every "{base}" inside a string of codes.json becomes the server's own "http://HOST:PORT/".

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct DemoOrganisation {
    std::string basePath;  // begins and ends with "/"
    std::string name;
    bool broken = false;  // its login page answers 500
};

class DemoData {
public:
    // Throws std::runtime_error with a readable message when a file is missing or malformed.
    static DemoData loadFromFolder(const std::string& folder);

    void setBaseUrl(std::string baseUrl) { m_baseUrl = std::move(baseUrl); }
    const std::string& baseUrl() const { return m_baseUrl; }

    const DemoOrganisation* organisationWithBasePath(const std::string& basePath) const;
    // The answer for a code with "{base}" filled in; nullopt for an unknown code.
    std::optional<nlohmann::json> answerForCode(const std::string& code) const;

private:
    std::vector<DemoOrganisation> m_organisations;
    nlohmann::json m_codes = nlohmann::json::object();
    std::string m_baseUrl;
};

// Replaces every "{base}" in text.
std::string substituteBase(std::string text, const std::string& baseUrl);
