#pragma once
// One HTTP(S) request, run to its end on the calling thread with its own libcurl handle.
// TLS peers are verified. A transport failure (no connection, time-out, bad or relative URL,
// a body larger than kMaxBodyBytes) fills the error, leaves the response empty and answers
// nullopt; any HTTP status, 404 and 500 included, is a completed request whose body is answered.
// Only http and https are spoken; redirects are followed (at most 10).

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Base64.h"

struct UrlRequest {
    std::string url;
    std::string method = "GET";
    std::vector<std::pair<std::string, std::string>> headers;  // Content-Length is always taken from body
    Bytes body;
    bool ignoreLocalCacheData = true;
    long connectTimeoutSeconds = 10;
    long timeoutSeconds = 30;
};

struct UrlResponse {
    long statusCode = 0;
    std::vector<std::pair<std::string, std::string>> headers;  // in arrival order
    std::string url;                                           // after redirects
};

struct UrlError {
    int code = 0;  // the libcurl code; -1 for a URL without scheme and host, -2 for a bad method or header
    std::string message;
};

namespace SynchronousTask {

inline constexpr std::size_t kMaxBodyBytes = 8 * 1024 * 1024;

std::optional<Bytes> sendSynchronousDataTaskWithRequest(const UrlRequest& request, UrlResponse* response,
                                                        UrlError* error);
std::optional<Bytes> sendSynchronousDataTaskWithURL(const std::string& url, UrlResponse* response, UrlError* error);

}  // namespace SynchronousTask
