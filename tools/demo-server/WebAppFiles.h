#pragma once
// The sample web app's static files (HTML, CSS, JavaScript), read once from their folder so
// that a missing or unreadable folder stops the server at start instead of at the first request.
// The folder must hold app.html, the page served at every organisation's login path.

#include <map>
#include <string>

class WebAppFiles {
public:
    // Throws std::runtime_error with a readable message when the folder or app.html cannot be read.
    static WebAppFiles loadFromFolder(const std::string& folder);

    // The file's bytes, or nullptr when the folder held no such file (names only, no subfolders).
    const std::string* file(const std::string& name) const;

    // "text/html; charset=utf-8" and the like, from the name's extension.
    static std::string contentTypeOf(const std::string& name);

private:
    std::map<std::string, std::string> m_files;
};
