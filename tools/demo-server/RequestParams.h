#pragma once
// Numbers in a request's query, as the demo routes read them.

#include <string>

#include <httplib.h>

// The query parameter as a whole number; fallback when it is absent or not a number.
inline long numberParam(const httplib::Request& request, const std::string& name, long fallback) {
    try {
        return request.has_param(name.c_str()) ? std::stol(request.get_param_value(name.c_str())) : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}
