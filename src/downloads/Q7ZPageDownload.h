#pragma once
// One page download: the page's request made again with libcurl on the calling (worker)
// thread, the body written into a hidden temporary file inside the destination folder, then
// moved onto a free, safe name in that folder. Placing the file is a rename on one file system
// that never replaces an existing file, so two downloads of one name both keep their files.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "downloads/Q7ZDownloadStatus.h"

class Q7ZPageDownload {
public:
    struct Request {
        std::string url;
        std::string cookieHeader{};  // "a=b; c=d", the web view's cookies for url; may be empty
        std::string userAgent{};     // may be empty
        std::string referer{};       // may be empty
    };

    // Shared by the fetching thread and whoever follows the transfer.
    struct Progress {
        // Set from any thread: the transfer stops soon after, and its partial file goes.
        std::atomic<bool> cancelled{false};
        // On the fetching thread, ten times a second at most while bytes arrive: the safe name
        // the answer announced ("" before it has), the bytes so far and the expected size (-1
        // when the answer does not tell). May be empty.
        std::function<void(const std::string& name, std::int64_t received, std::int64_t expected)> report;
    };

    struct Result {
        enum class Outcome {
            NoResponse,  // no HTTP answer at all
            Failed,      // an answer, but no file was saved (status not 200, transfer or disk failure)
            Saved,       // the file lies at savedPath
        };
        Outcome outcome = Outcome::NoResponse;
        Q7ZDownloadFailure failure = Q7ZDownloadFailure::None;  // why, when not Saved
        long statusCode = 0;                                    // of the last answer after redirects; 0 without one
        std::string fileName;                                   // the safe name the answer announced; "" before one was
        std::string savedPath;                                  // only when Saved
        std::int64_t expectedSize = -1;                         // the answer's Content-Length; -1 when it does not tell
    };

    // Blocks the calling thread until the transfer has ended. folder must exist and be
    // writable; nothing but the final file is left in it. The file is named by the answer's
    // "ShowName" header, else its suggested name (Content-Disposition, else the address's last
    // path component), percent-decoded twice where that gives text, made safe by
    // Q7ZDownloadFileName::safeFileName with the answer's type; a taken name goes on as
    // name-1.ext, name-2.ext, and so on.
    // progress, when given, must outlive the call.
    static Result fetch(const Request& request, const std::string& folder, Progress* progress = nullptr);

    // Removes the partial files of the downloads still running: the program is ending and they
    // would never be finished. Any thread.
    static void removePartialFiles();
    // Removes what a program that ended without removePartialFiles (a crash) left in folder:
    // only regular files named as this program names partial files, and none of this run's
    // downloads. Any thread; answers how many went.
    static int removeLeftoverPartialFiles(const std::string& folder);
};
