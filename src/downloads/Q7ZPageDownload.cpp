#include "downloads/Q7ZPageDownload.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include <curl/curl.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "downloads/Q7ZDownloadFileName.h"
#include "platform/DesktopProxy.h"
#include "platform/GObjectPtr.h"
#include "utility/Q7ZACUtility.h"

namespace {

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using CurlUrl = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;
using CurlText = std::unique_ptr<char, decltype(&curl_free)>;
using CurlHeaders = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;
using Outcome = Q7ZPageDownload::Result::Outcome;

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 15;
// A transfer slower than one byte a second for a minute is a dead server, not a slow one.
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr long kLowSpeedSeconds = 60;
// Large reads mean few write calls: loopback transfers are bound by them, not by the network.
constexpr long kReceiveBufferBytes = 512 * 1024;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The address without its query and fragment, which may carry what is not for a log.
std::string addressForLog(const std::string& url) { return url.substr(0, url.find_first_of("?#")); }

void warnAbout(const Q7ZPageDownload::Request& request, const std::string& problem) {
    g_warning("page download GET %s: %s", addressForLog(request.url).c_str(), problem.c_str());
}

std::string decodedOrSame(const std::string& text) {
    auto decoded = Q7ZACUtility::getUrlDecodeString(text);
    return decoded && !decoded->empty() ? *decoded : text;
}

// The name an answer announced, decoded twice as far as that gives text, as a safe file name
// (with the extension of its type when it has none).
std::string fileNameForAnnouncedName(const std::string& name, const char* contentType) {
    return Q7ZDownloadFileName::safeFileName(decodedOrSame(decodedOrSame(name)), contentType ? contentType : "");
}

// --- the temporary file ---------------------------------------------------------------------

constexpr std::string_view kPartialFilePrefix = ".velloq-download-";
constexpr std::size_t kPartialFileRandomChars = 6;  // letters and digits after the prefix

constexpr int kMaxCreateAttempts = 100;

std::string randomName(std::size_t length) {
    static constexpr std::string_view kCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name;
    for (std::size_t i = 0; i < length; ++i) name += kCharacters[g_random_int_range(0, kCharacters.size())];
    return name;
}

// The partial files of the transfers running in this process, for removePartialFiles.
struct PartialFiles {
    std::mutex mutex;
    std::set<std::string> paths;
};

PartialFiles& partialFiles() {
    static PartialFiles files;
    return files;
}

// An exclusively created hidden file in the destination folder, removed unless it was placed.
class TemporaryFile {
public:
    // Created with mode 0666, which the umask narrows as for any file the user makes (mkstemp's
    // 0600 would leave the finished file unreadable to the user's group).
    explicit TemporaryFile(const std::string& folder) {
        for (int attempt = 0; m_fd < 0 && attempt < kMaxCreateAttempts; ++attempt) {
            m_path = folder + "/" + std::string(kPartialFilePrefix) + randomName(kPartialFileRandomChars);
            m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST) break;
        }
        if (m_fd < 0) m_path.clear();
        track(true);
    }
    ~TemporaryFile() {
        closeFile();
        if (!m_path.empty()) ::unlink(m_path.c_str());
        track(false);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

    // Writes all of data; false (errno set) on a disk failure.
    bool write(const char* data, std::size_t length) {
        while (length > 0) {
            const ssize_t written = ::write(m_fd, data, length);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            data += written;
            length -= static_cast<std::size_t>(written);
        }
        return true;
    }
    bool closeFile() {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }
    // The file now lives under another name: nothing left to remove.
    void forget() {
        track(false);
        m_path.clear();
    }

private:
    void track(bool running) {
        if (m_path.empty()) return;
        std::lock_guard lock(partialFiles().mutex);
        running ? void(partialFiles().paths.insert(m_path)) : void(partialFiles().paths.erase(m_path));
    }

    std::string m_path;
    int m_fd = -1;
};

// --- the transfer ---------------------------------------------------------------------------

bool isHeaderTextSafe(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) == text.npos; }

// The cookies are the address's: as a header of our own, which libcurl does not send on to
// another host a redirect leads to (CURLOPT_COOKIE would go to every host).
void applyRequestOptions(CURL* curl, const Q7ZPageDownload::Request& request, CurlHeaders& headers) {
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXY, DesktopProxy::forUrl(request.url).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    if (!request.cookieHeader.empty()) {
        headers.reset(curl_slist_append(nullptr, ("Cookie: " + request.cookieHeader).c_str()));
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    }
    // A download asked for over https is never handed to plain http by a redirect.
    const bool secure = g_str_has_prefix(request.url.c_str(), "https:");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    if (!request.userAgent.empty()) curl_easy_setopt(curl, CURLOPT_USERAGENT, request.userAgent.c_str());
    if (!request.referer.empty()) curl_easy_setopt(curl, CURLOPT_REFERER, request.referer.c_str());
}

// No overall time or size limit: a file may be large. A dead server ends the transfer through
// the connect time-out and the low-speed limit instead.
void applyTransportOptions(CURL* curl, char* errorBuffer) {
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // time-outs without SIGALRM: safe on any thread
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
}

// A header of the last answer (after redirects), its name matched without regard to case.
std::optional<std::string> lastAnswerHeader(CURL* curl, const char* name) {
    curl_header* header = nullptr;
    if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header) return std::nullopt;
    return std::string(header->value);
}

std::string lastPathComponentOf(const char* url) {
    CurlUrl handle(curl_url(), curl_url_cleanup);
    char* path = nullptr;
    if (!handle || !url || curl_url_set(handle.get(), CURLUPART_URL, url, 0) != CURLUE_OK ||
        curl_url_get(handle.get(), CURLUPART_PATH, &path, 0) != CURLUE_OK)
        return {};
    const CurlText pathText(path, curl_free);
    const std::string_view text(pathText.get());
    return std::string(text.substr(text.rfind('/') + 1));
}

// The name the answer announces: "ShowName", else the suggested name.
std::string announcedName(CURL* curl) {
    if (auto showName = lastAnswerHeader(curl, "ShowName")) return *showName;
    if (auto disposition = lastAnswerHeader(curl, "Content-Disposition"))
        if (auto name = Q7ZDownloadFileName::fromContentDisposition(*disposition); name && !name->empty()) return *name;
    char* effectiveUrl = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effectiveUrl);
    return lastPathComponentOf(effectiveUrl);
}

// The file's safe first name, as the answer (after redirects) announces it.
std::string safeAnnouncedName(CURL* curl) {
    char* contentType = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
    return fileNameForAnnouncedName(announcedName(curl), contentType);
}

constexpr gint64 kReportInterval = G_USEC_PER_SEC / 10;

// Where the body goes, and who follows it.
struct BodySink {
    TemporaryFile& file;
    CURL* curl;
    Q7ZPageDownload::Progress* progress;
    int writeError = 0;
    std::string fileName{};  // once the file's answer has begun to arrive
    gint64 lastReport = 0;
};

// Bodies of redirects are not written: the first write is the last answer's.
std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* userdata) {
    auto* sink = static_cast<BodySink*>(userdata);
    if (sink->fileName.empty()) {
        long status = 0;
        curl_easy_getinfo(sink->curl, CURLINFO_RESPONSE_CODE, &status);
        if (status == 200) sink->fileName = safeAnnouncedName(sink->curl);
    }
    if (sink->file.write(data, size * count)) return size * count;
    sink->writeError = errno ? errno : EIO;
    return 0;
}

// Non-zero stops the transfer (CURLE_ABORTED_BY_CALLBACK).
int followTransfer(void* userdata, curl_off_t expected, curl_off_t received, curl_off_t, curl_off_t) {
    auto* sink = static_cast<BodySink*>(userdata);
    if (sink->progress->cancelled) return 1;
    if (!sink->progress->report || sink->fileName.empty()) return 0;
    const gint64 now = g_get_monotonic_time();
    if (now - sink->lastReport < kReportInterval) return 0;
    sink->lastReport = now;
    sink->progress->report(sink->fileName, received, expected > 0 ? expected : -1);
    return 0;
}

// What one transfer leaves for judging its outcome.
struct Transfer {
    const Q7ZPageDownload::Request& request;
    BodySink sink;
    int closeError = 0;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    std::string curlMessage(CURLcode code) const { return *errorBuffer ? errorBuffer : curl_easy_strerror(code); }
};

// --- placing the file -----------------------------------------------------------------------

// Moves from onto to unless to exists (EEXIST then). Where the file system cannot rename
// without replacing, a hard link claims the name just as atomically.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

// The path the file was placed at; nullopt (errno set) when no name could be claimed.
std::optional<std::string> placeUnderFreeName(TemporaryFile& file, const std::string& folder,
                                              const std::string& firstName) {
    for (int counter = 0; counter <= Q7ZDownloadFileName::kMaxNumberedNames; ++counter) {
        const std::string path = folder + "/" + Q7ZDownloadFileName::numbered(firstName, counter);
        if (moveWithoutReplacing(file.path(), path)) {
            file.forget();
            return path;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

// The outcome of a transfer that got an answer, the file placed when it is a saved 200.
Q7ZPageDownload::Result concludeAnswered(CURL* curl, CURLcode code, const Transfer& transfer, const std::string& folder,
                                         Q7ZPageDownload::Result result) {
    const auto& request = transfer.request;
    result.outcome = Outcome::Failed;
    result.fileName = transfer.sink.fileName;
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.failure = Q7ZDownloadFailure::Cancelled;
    } else if (code != CURLE_OK) {
        const int writeError = transfer.sink.writeError;
        warnAbout(request, "transfer failed: " + (writeError ? std::strerror(writeError) : transfer.curlMessage(code)));
        result.failure = writeError ? Q7ZDownloadFailure::Disk : Q7ZDownloadFailure::Network;
    } else if (result.statusCode != 200) {
        warnAbout(request, "answered with status " + std::to_string(result.statusCode));
        result.failure = Q7ZDownloadFailure::Server;
    } else if (transfer.closeError) {
        warnAbout(request, std::string("cannot write the file: ") + std::strerror(transfer.closeError));
        result.failure = Q7ZDownloadFailure::Disk;
    } else {
        // An empty body was never written: its name is read now.
        if (result.fileName.empty()) result.fileName = safeAnnouncedName(curl);
        if (auto placed = placeUnderFreeName(transfer.sink.file, folder, result.fileName)) {
            result.outcome = Outcome::Saved;
            result.savedPath = std::move(*placed);
        } else {
            warnAbout(request, "cannot save " + result.fileName + " in " + folder + ": " + std::strerror(errno));
            result.failure = Q7ZDownloadFailure::Disk;
        }
    }
    return result;
}

}  // namespace

Q7ZPageDownload::Result Q7ZPageDownload::fetch(const Request& request, const std::string& folder, Progress* progress) {
    Result result;
    result.failure = Q7ZDownloadFailure::Network;
    if (!isHeaderTextSafe(request.cookieHeader) || !isHeaderTextSafe(request.userAgent) ||
        !isHeaderTextSafe(request.referer)) {
        warnAbout(request, "refused: a header value holds a line break");
        return result;
    }
    TemporaryFile file(folder);
    if (!file.isOpen()) {
        warnAbout(request, "cannot create a file in " + folder + ": " + std::strerror(errno));
        result.outcome = Outcome::Failed;
        result.failure = Q7ZDownloadFailure::Disk;
        return result;
    }
    initialiseCurlOnce();
    CurlHandle curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        warnAbout(request, "cannot create a request");
        return result;
    }
    Progress unfollowed;
    Transfer transfer{request, BodySink{file, curl.get(), progress ? progress : &unfollowed}};
    CurlHeaders headers(nullptr, curl_slist_free_all);  // until the transfer has ended
    applyRequestOptions(curl.get(), request, headers);
    applyTransportOptions(curl.get(), transfer.errorBuffer);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer.sink);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, followTransfer);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &transfer.sink);
    const CURLcode code = curl_easy_perform(curl.get());
    if (!file.closeFile()) transfer.closeError = errno;

    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.statusCode);
    curl_off_t contentLength = -1;
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &contentLength);
    result.expectedSize = contentLength;
    if (result.statusCode == 0) {
        if (code == CURLE_ABORTED_BY_CALLBACK) result.failure = Q7ZDownloadFailure::Cancelled;
        else warnAbout(request, "no answer: " + transfer.curlMessage(code));
        return result;
    }
    return concludeAnswered(curl.get(), code, transfer, folder, std::move(result));
}

void Q7ZPageDownload::removePartialFiles() {
    std::lock_guard lock(partialFiles().mutex);
    for (const std::string& path : partialFiles().paths) ::unlink(path.c_str());
    if (!partialFiles().paths.empty())
        g_debug("%zu unfinished page downloads were abandoned", partialFiles().paths.size());
    partialFiles().paths.clear();
}

int Q7ZPageDownload::removeLeftoverPartialFiles(const std::string& folder) {
    GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);  // no folder, nothing left in it
    if (!dir) return 0;
    const std::unique_ptr<GDir, decltype(&g_dir_close)> entries(dir, g_dir_close);
    int removed = 0;
    while (const char* name = g_dir_read_name(dir)) {
        const std::string_view entry(name);
        if (!entry.starts_with(kPartialFilePrefix) ||
            entry.size() != kPartialFilePrefix.size() + kPartialFileRandomChars)
            continue;
        const std::string path = folder + "/" + name;
        std::lock_guard lock(partialFiles().mutex);  // a download of this run keeps its file
        if (partialFiles().paths.contains(path)) continue;
        struct stat status{};
        if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
    }
    if (removed > 0) g_debug("removed %d partial download files left in %s", removed, folder.c_str());
    return removed;
}
