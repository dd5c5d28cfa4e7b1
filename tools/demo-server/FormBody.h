#pragma once
// application/x-www-form-urlencoded bodies, as the demo routes read them.

#include <string>
#include <utility>
#include <vector>

#include <httplib.h>

// Name/value pairs in body order, both percent-decoded ("+" is a space).
inline std::vector<std::pair<std::string, std::string>> parseFormBody(const std::string& body) {
    std::vector<std::pair<std::string, std::string>> members;
    std::size_t start = 0;
    while (start <= body.size() && !body.empty()) {
        std::size_t end = body.find('&', start);
        if (end == std::string::npos) end = body.size();
        const std::string member = body.substr(start, end - start);
        const std::size_t equals = member.find('=');
        const std::string name = member.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : member.substr(equals + 1);
        members.emplace_back(httplib::detail::decode_url(name, true), httplib::detail::decode_url(value, true));
        start = end + 1;
    }
    return members;
}
