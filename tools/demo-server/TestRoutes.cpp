#include "TestRoutes.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "FormBody.h"
#include "RequestParams.h"
#include "WebAppFiles.h"

namespace {

using Handler = httplib::Server::Handler;

constexpr long kMaxSlowMilliseconds = 20000;
constexpr std::size_t kMiB = 1024 * 1024;

void addGetAndPost(httplib::Server& server, const std::string& pattern, Handler handler) {
    server.Get(pattern, handler);
    server.Post(pattern, std::move(handler));
}

void answerStatus(const httplib::Request& request, httplib::Response& response) {
    response.status = std::stoi(request.matches[1].str());
    const std::string body =
        request.has_param("body") ? request.get_param_value("body") : "status " + request.matches[1].str();
    response.set_content(body, "text/plain; charset=utf-8");
}

void answerSlowly(const std::atomic<bool>& stopping, const httplib::Request& request, httplib::Response& response) {
    const long milliseconds = std::clamp(numberParam(request, "ms", 1000), 0L, kMaxSlowMilliseconds);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    response.set_content("slow answer", "text/plain");
}

std::size_t oversizedLength(const httplib::Request& request) {
    return static_cast<std::size_t>(std::clamp(numberParam(request, "mib", 9), 1L, 64L)) * kMiB;
}

void answerOversizedStream(const httplib::Request& request, httplib::Response& response) {
    const std::size_t total = oversizedLength(request);
    response.set_chunked_content_provider("application/octet-stream",
                                          [total, sent = std::size_t{0}](std::size_t, httplib::DataSink& sink) mutable {
                                              const std::string chunk(64 * 1024, 'x');
                                              if (sent >= total) {
                                                  sink.done();
                                                  return true;
                                              }
                                              sent += chunk.size();
                                              return sink.write(chunk.data(), chunk.size());
                                          });
}

nlohmann::json echoOf(const httplib::Request& request) {
    nlohmann::json headers = nlohmann::json::object();
    for (const auto& [name, value] : request.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        headers[lower] = value;
    }
    // request.params also holds the members of a form body; the query is read from the target.
    nlohmann::json query = nlohmann::json::object();
    const std::size_t questionMark = request.target.find('?');
    if (questionMark != std::string::npos)
        for (const auto& [name, value] : parseFormBody(request.target.substr(questionMark + 1))) query[name] = value;
    nlohmann::json form = nlohmann::json::array();
    for (const auto& [name, value] : parseFormBody(request.body)) form.push_back({{"name", name}, {"value", value}});
    return {{"method", request.method},
            {"path", request.path},
            {"query", query},
            {"headers", headers},
            {"body", request.body},
            {"bodyLength", request.body.size()},
            {"form", form}};
}

void answerEcho(const httplib::Request& request, httplib::Response& response) {
    response.set_header("X-Velloq-Echo", "1");
    // A body that is not UTF-8 is echoed with replacement characters; bodyLength stays exact.
    response.set_content(echoOf(request).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                         "application/json; charset=utf-8");
}

}  // namespace

void addTestRoutes(httplib::Server& server, const std::atomic<bool>& stopping, const WebAppFiles& webApp) {
    addGetAndPost(server, "/test/hostile.html", [&webApp](const httplib::Request&, httplib::Response& response) {
        const std::string* page = webApp.file(kHostilePageFile);
        response.status = page ? 200 : 404;
        response.set_content(page ? *page : "no such file\n", WebAppFiles::contentTypeOf(kHostilePageFile));
    });
    addGetAndPost(server, R"(/test/status/(\d{3}))", answerStatus);
    addGetAndPost(server, "/test/html-404", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
        response.set_content("<html><head><title>Not Found</title></head><body><h1>404 Not Found</h1></body></html>\n",
                             "text/html; charset=utf-8");
    });
    addGetAndPost(server, "/test/not-utf8", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string("caf\xE9 \xC3\x28 \xFF\xFE", 10), "text/plain");
    });
    addGetAndPost(server, "/test/slow", [&stopping](const httplib::Request& request, httplib::Response& response) {
        answerSlowly(stopping, request, response);
    });
    addGetAndPost(server, "/test/oversized", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(std::string(oversizedLength(request), 'x'), "application/octet-stream");
    });
    addGetAndPost(server, "/test/oversized-stream", answerOversizedStream);
    addGetAndPost(server, "/test/redirect", [](const httplib::Request& request, httplib::Response& response) {
        response.set_redirect(request.get_param_value("to"));
    });
    addGetAndPost(server, "/test/redirect-loop", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/test/redirect-loop");
    });
    addGetAndPost(server, "/test/echo", answerEcho);
    server.Put("/test/echo", answerEcho);
    server.Delete("/test/echo", answerEcho);
}
