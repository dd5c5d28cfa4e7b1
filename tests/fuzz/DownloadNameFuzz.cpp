// The input's lines as a page download's address path, Content-Disposition and ShowName.
#include "FuzzTargets.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include <glib.h>

#include "downloads/Q7ZPageDownload.h"
#include "platform/GObjectPtr.h"
#include "support/LoopbackResponder.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

constexpr std::string_view kBody = "body";

FUZZ_TARGET(download_name) {
    static LoopbackResponder server;
    const std::string folder = processHome().path() + "/Downloads";
    fs::create_directories(folder);

    // Lines: the address's path, Content-Disposition (sent when not empty), ShowName (sent,
    // even empty, when the line is there). No header value can hold a CR or NUL.
    std::string text(input);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\0'; });
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; lines.size() < 3 && std::getline(stream, line);) lines.push_back(line);
    lines.resize(std::max<std::size_t>(lines.size(), 1));
    const GCharPtr path(g_uri_escape_string(lines[0].c_str(), "/", false));
    std::string answer = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 4\r\n";
    if (lines.size() > 1 && !lines[1].empty()) answer += "Content-Disposition: " + lines[1] + "\r\n";
    if (lines.size() > 2) answer += "ShowName: " + lines[2] + "\r\n";

    server.setAnswer(answer + "\r\n" + std::string(kBody));
    const auto result = Q7ZPageDownload::fetch({server.address() + path.get()}, folder);

    // A whole answer is always saved, under one plain UTF-8 name, not hidden and without control
    // characters, directly in the folder, and nothing else is left there.
    FUZZ_CHECK(result.outcome == Q7ZPageDownload::Result::Outcome::Saved && readFileText(result.savedPath) == kBody);
    const std::string name = fs::path(result.savedPath).filename();
    FUZZ_CHECK(result.savedPath == folder + "/" + name && name != "." && name != ".." && name.find('/') == name.npos);
    FUZZ_CHECK(g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr));
    FUZZ_CHECK(name.front() != '.' &&
               std::none_of(name.begin(), name.end(), [](char c) { return g_ascii_iscntrl(c); }));
    for (const char* at = name.c_str(); *at; at = g_utf8_next_char(at))  // nor C1 or bidirectional controls
        for (const auto& [low, high] : {std::pair{0x80u, 0x9Fu}, {0x202Au, 0x202Eu}, {0x2066u, 0x2069u}})
            FUZZ_CHECK(g_utf8_get_char(at) < low || g_utf8_get_char(at) > high);
    FUZZ_CHECK(std::distance(fs::directory_iterator(folder), fs::directory_iterator()) == 1);
    fs::remove(result.savedPath);
}
