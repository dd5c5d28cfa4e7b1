#include "DownloadRoutes.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include <httplib.h>

#include "FormBody.h"
#include "RequestParams.h"
#include "SampleFiles.h"

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
constexpr std::size_t kLargeChunkBytes = 256 * kKiB;
constexpr long kMaxLargeMiB = 4096;
constexpr std::size_t kSlowPieceBytes = 16 * kKiB;
constexpr long kMaxSlowKiB = 1024 * 1024;
constexpr long kMaxSlowPauseMilliseconds = 10000;
constexpr const char* kOctetStream = "application/octet-stream";
constexpr const char* kPlainText = "text/plain; charset=utf-8";

// Every byte but RFC 3986's unreserved characters as %XX.
std::string percentEncode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : text) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Each %XX becomes its byte; anything else, "+" and a "%" without two hex digits included, stays.
std::string percentDecodeOnce(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() ? hexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexDigitValue(text[i + 2]) : -1;
        if (text[i] == '%' && high >= 0 && low >= 0) {
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The query member's value as sent. The library's decoded parameters are not used: they turn "+"
// into a space and read %uXXXX escapes, so some names would not arrive as the test sent them.
std::optional<std::string> rawQueryValue(const httplib::Request& request, const std::string& name) {
    const std::string& target = request.target;
    const std::size_t questionMark = target.find('?');
    if (questionMark == std::string::npos) return std::nullopt;
    for (std::size_t start = questionMark + 1; start <= target.size();) {
        const std::size_t end = std::min(target.find('&', start), target.size());
        const std::string member = target.substr(start, end - start);
        if (member == name) return std::string();
        if (member.rfind(name + "=", 0) == 0) return member.substr(name.size() + 1);
        start = end + 1;
    }
    return std::nullopt;
}

struct FixedDownload {
    int status;
    std::string contentType;
    std::string body;
    httplib::Headers headers;
};

// Built on first use (thread-safe static initialisation) and kept for the server's life.
const std::map<std::string, FixedDownload>& fixedDownloads() {
    static const std::string meetingFiles = "Meeting files 會議.zip";
    static const std::string meetingZip = SampleFiles::zip(
        {{"agenda.txt", "1. Welcome\n2. Quarter in review\n3. Questions\n"}, {"notes.txt", "Bring the slides.\n"}});
    static const std::map<std::string, FixedDownload> downloads = {
        {"report.pdf", {200, "application/pdf", SampleFiles::pdf("Report"), {}}},
        {"plain",
         {200, "application/pdf", SampleFiles::pdf("Quarterly report"), {{"ShowName", "Quarterly report.pdf"}}}},
        {"encoded-once", {200, "application/zip", meetingZip, {{"ShowName", percentEncode(meetingFiles)}}}},
        {"encoded-twice",
         {200, "application/zip", meetingZip, {{"ShowName", percentEncode(percentEncode(meetingFiles))}}}},
        {"disposition",
         {200,
          kOctetStream,
          "Notes from the demo server.\n",
          {{"Content-Disposition", "attachment; filename=\"notes.txt\""}}}},
        {"missing", {404, kPlainText, "No such download.\n", {}}},
    };
    return downloads;
}

void answerText(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(text, kPlainText);
}

void answerNamed(const httplib::Request& request, httplib::Response& response) {
    const std::optional<std::string> sentName = rawQueryValue(request, "name");
    if (!sentName) return answerText(response, 400, "Give the name: /downloads/named?name=TEXT\n");
    const std::string name = percentDecodeOnce(*sentName);
    // The library would drop such a header without a word; say so instead.
    if (name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return answerText(response, 400, "A header value cannot hold CR, LF or NUL.\n");
    response.set_header("ShowName", name);
    response.set_content("file named " + name + "\n", kOctetStream);
}

// Byte k of a large download is this chunk's byte k % 256 KiB: made once and written over and
// over, so that the time goes to the socket rather than to making bytes.
const std::string& largeChunk() {
    static const std::string chunk = [] {
        std::string bytes(kLargeChunkBytes, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
        return bytes;
    }();
    return chunk;
}

// The provider is called until the whole length is written; a failed write (the client went away)
// or false ends the answer and closes the connection.
void answerLarge(const std::atomic<bool>& stopping, const httplib::Request& request, httplib::Response& response) {
    const auto total = static_cast<std::size_t>(std::clamp(numberParam(request, "mib", 1024), 1L, kMaxLargeMiB)) * kMiB;
    response.set_header("ShowName", "large.bin");
    response.set_content_provider(total, kOctetStream,
                                  [&stopping](std::size_t, std::size_t length, httplib::DataSink& sink) {
                                      const std::string& chunk = largeChunk();
                                      return !stopping && sink.write(chunk.data(), std::min(length, chunk.size()));
                                  });
}

// False when the server began to stop during the pause.
bool pauseUnlessStopping(const std::atomic<bool>& stopping, long milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return !stopping;
}

void answerSlow(const std::atomic<bool>& stopping, const httplib::Request& request, httplib::Response& response) {
    const auto total = static_cast<std::size_t>(std::clamp(numberParam(request, "kib", 1024), 1L, kMaxSlowKiB)) * kKiB;
    const long pause = std::clamp(numberParam(request, "ms", 200), 0L, kMaxSlowPauseMilliseconds);
    response.set_header("ShowName", "slow.bin");
    response.set_content_provider(total, kOctetStream,
                                  [&stopping, pause](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                      if (offset > 0 && !pauseUnlessStopping(stopping, pause)) return false;
                                      const std::string piece(std::min(length, kSlowPieceBytes), 's');
                                      return sink.write(piece.data(), piece.size());
                                  });
}

// A form's answer as a file: what was posted comes back, so only the answer to that very post
// holds it (a GET of the address answers otherwise).
void answerForm(const httplib::Request& request, httplib::Response& response) {
    std::string posted;
    for (const auto& [name, value] : parseFormBody(request.body)) posted += name + "=" + value + "\n";
    response.set_header("Content-Disposition", "attachment; filename=\"form-answer.txt\"");
    response.set_content(request.method == "POST" ? "posted:\n" + posted : "not a post\n", kOctetStream);
}

// Fails with 503 on the first "fails" requests of each "id", then answers: a download worth
// trying again.
void answerFlaky(const httplib::Request& request, httplib::Response& response) {
    static std::mutex mutex;
    static std::map<std::string, long> requests;
    const std::string id = rawQueryValue(request, "id").value_or("");
    std::lock_guard lock(mutex);
    if (++requests[id] <= numberParam(request, "fails", 1)) return answerText(response, 503, "Try again later.\n");
    response.set_header("ShowName", "flaky.txt");
    response.set_content("answered at last\n", kOctetStream);
}

}  // namespace

void addDownloadRoutes(httplib::Server& server, const std::atomic<bool>& stopping) {
    for (const auto& [name, download] : fixedDownloads()) {
        server.Get("/downloads/" + std::regex_replace(name, std::regex(R"(\.)"), R"(\.)"),
                   [&download = download](const httplib::Request&, httplib::Response& response) {
                       response.status = download.status;
                       for (const auto& [header, value] : download.headers) response.set_header(header, value);
                       response.set_content(download.body, download.contentType);
                   });
    }
    server.Get("/downloads/named", answerNamed);
    server.Get("/downloads/form", answerForm);
    server.Post("/downloads/form", answerForm);
    server.Get("/downloads/flaky", answerFlaky);
    server.Get("/downloads/large", [&stopping](const httplib::Request& request, httplib::Response& response) {
        answerLarge(stopping, request, response);
    });
    server.Get("/downloads/slow", [&stopping](const httplib::Request& request, httplib::Response& response) {
        answerSlow(stopping, request, response);
    });
}
