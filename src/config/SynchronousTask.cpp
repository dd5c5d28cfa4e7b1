#include "config/SynchronousTask.h"

#include <cctype>
#include <memory>
#include <mutex>
#include <string_view>

#include <curl/curl.h>
#include <glib.h>

#include "platform/DesktopProxy.h"

namespace SynchronousTask {
namespace {

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using CurlHeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;
using CurlUrl = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;
using CurlText = std::unique_ptr<char, decltype(&curl_free)>;
using HeaderList = std::vector<std::pair<std::string, std::string>>;

constexpr long kMaxRedirects = 10;
constexpr int kNotAnAbsoluteUrl = -1;
constexpr int kBadRequestText = -2;

// Where the body goes. Counting here catches a body without Content-Length that grows past
// the limit while it streams.
struct BodySink {
    Bytes* buffer = nullptr;
    std::size_t received = 0;
    bool tooLarge = false;
};

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void setError(UrlError* error, int code, std::string message) {
    if (error) *error = UrlError{code, std::move(message)};
}

// libcurl would guess "http://" for "host/path"; a URL must name its scheme and host itself.
bool isAbsoluteUrl(const std::string& url) {
    CurlUrl handle(curl_url(), curl_url_cleanup);
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
    char* host = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) return false;
    const CurlText hostText(host, curl_free);
    return hostText && *hostText;
}

bool isHeaderTextSafe(std::string_view text) {
    return text.find_first_of("\r\n") == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

bool isMethodName(std::string_view method) {
    if (method.empty()) return false;
    for (char c : method)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

// Header problems and bad methods are refused before any connection, like a bad URL.
bool validateRequest(const UrlRequest& request, UrlError* error) {
    if (!isAbsoluteUrl(request.url)) {
        setError(error, kNotAnAbsoluteUrl, "not an absolute URL with scheme and host: " + request.url);
        return false;
    }
    if (!isMethodName(request.method)) {
        setError(error, kBadRequestText, "bad method: " + request.method);
        return false;
    }
    for (const auto& [name, value] : request.headers) {
        if (name.empty() || name.find(':') != std::string::npos || !isHeaderTextSafe(name) ||
            !isHeaderTextSafe(value)) {
            setError(error, kBadRequestText, "bad header: " + name);
            return false;
        }
    }
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

CurlHeaderList buildHeaderList(const UrlRequest& request) {
    CurlHeaderList list(nullptr, curl_slist_free_all);
    auto append = [&list](const std::string& line) {
        if (curl_slist* grown = curl_slist_append(list.get(), line.c_str())) {
            list.release();
            list.reset(grown);
        }
    };
    for (const auto& [name, value] : request.headers) {
        // libcurl writes Content-Length from the body itself; a second, possibly different one
        // would make the request ambiguous.
        if (equalsIgnoringCase(name, "Content-Length")) continue;
        append(name + ": " + value);
    }
    if (request.ignoreLocalCacheData) {
        append("Cache-Control: no-cache");
        append("Pragma: no-cache");
    }
    append("Expect:");  // no 100-continue round trip for larger bodies
    return list;
}

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* userdata) {
    auto* sink = static_cast<BodySink*>(userdata);
    const std::size_t length = size * count;
    if (length > kMaxBodyBytes - sink->received) {
        sink->tooLarge = true;
        return 0;
    }
    sink->received += length;
    sink->buffer->insert(sink->buffer->end(), data, data + length);
    return length;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::size_t collectHeader(char* data, std::size_t size, std::size_t count, void* userdata) {
    auto* headers = static_cast<HeaderList*>(userdata);
    const std::string_view line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        headers->clear();  // a new response begins (after a redirect): keep only the last one's headers
    } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
        headers->emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    }
    return size * count;
}

void applyMethodAndBody(CURL* curl, const UrlRequest& request) {
    static const char kNoBody[] = "";
    const char* body = request.body.empty() ? kNoBody : reinterpret_cast<const char*>(request.body.data());
    if (request.method == "GET" && request.body.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        return;
    }
    if (request.method == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        return;
    }
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body);
    if (request.method != "POST") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
}

void applyTransportOptions(CURL* curl, const UrlRequest& request, char* errorBuffer) {
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXY, DesktopProxy::forUrl(request.url).c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // time-outs without SIGALRM: safe on any thread
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, request.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
}

UrlResponse responseOf(CURL* curl, HeaderList headers) {
    UrlResponse response;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.statusCode);
    char* effectiveUrl = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effectiveUrl) == CURLE_OK && effectiveUrl)
        response.url = effectiveUrl;
    response.headers = std::move(headers);
    return response;
}

void reportFailure(CURLcode code, const BodySink& sink, const char* errorBuffer, UrlError* error) {
    if (code == CURLE_FILESIZE_EXCEEDED || sink.tooLarge) {
        setError(error, CURLE_FILESIZE_EXCEEDED,
                 "response body larger than " + std::to_string(kMaxBodyBytes) + " bytes");
    } else {
        setError(error, code, *errorBuffer ? errorBuffer : curl_easy_strerror(code));
    }
}

// Runs the request to its end; the body goes to sink. True when a response was received.
bool performRequest(const UrlRequest& request, BodySink& sink, UrlResponse* response, UrlError* error) {
    if (!validateRequest(request, error)) return false;
    initialiseCurlOnce();
    CurlHandle curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        setError(error, CURLE_FAILED_INIT, "cannot create a request");
        return false;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    HeaderList headers;
    const CurlHeaderList headerList = buildHeaderList(request);
    applyTransportOptions(curl.get(), request, errorBuffer);
    applyMethodAndBody(curl.get(), request);
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &headers);
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        reportFailure(code, sink, errorBuffer, error);
        return false;
    }
    if (response) *response = responseOf(curl.get(), std::move(headers));
    return true;
}

// The address without its query and fragment, which may carry what is not for a log.
std::string addressForLog(const std::string& url) { return url.substr(0, url.find_first_of("?#")); }

bool perform(const UrlRequest& request, BodySink& sink, UrlResponse* response, UrlError* error) {
    if (response) *response = UrlResponse{};
    UrlError failure;  // a completed request reports no error
    const bool completed = performRequest(request, sink, response, &failure);
    if (!completed)
        g_warning("%s %s failed: %s", request.method.c_str(), addressForLog(request.url).c_str(),
                  failure.message.c_str());
    if (error) *error = std::move(failure);
    return completed;
}

std::optional<Bytes> performIntoMemory(const UrlRequest& request, UrlResponse* response, UrlError* error) {
    Bytes body;
    BodySink sink;
    sink.buffer = &body;
    if (!perform(request, sink, response, error)) return std::nullopt;
    return body;
}

}  // namespace

std::optional<Bytes> sendSynchronousDataTaskWithRequest(const UrlRequest& request, UrlResponse* response,
                                                        UrlError* error) {
    return performIntoMemory(request, response, error);
}

std::optional<Bytes> sendSynchronousDataTaskWithURL(const std::string& url, UrlResponse* response, UrlError* error) {
    UrlRequest request;
    request.url = url;
    return performIntoMemory(request, response, error);
}

}  // namespace SynchronousTask
