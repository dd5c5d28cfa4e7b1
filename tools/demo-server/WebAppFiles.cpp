#include "WebAppFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!(in && text << in.rdbuf())) throw std::runtime_error("cannot read " + path.string());
    return text.str();
}

}  // namespace

WebAppFiles WebAppFiles::loadFromFolder(const std::string& folder) {
    WebAppFiles files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) files.m_files[entry.path().filename().string()] = readWholeFile(entry.path());
    }
    if (error) throw std::runtime_error("cannot read the web app folder " + folder + ": " + error.message());
    if (!files.file("app.html")) throw std::runtime_error("the web app folder " + folder + " has no app.html");
    return files;
}

const std::string* WebAppFiles::file(const std::string& name) const {
    const auto found = m_files.find(name);
    return found == m_files.end() ? nullptr : &found->second;
}

std::string WebAppFiles::contentTypeOf(const std::string& name) {
    static const std::map<std::string, std::string> byExtension = {
        {".html", "text/html; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
    };
    const auto found = byExtension.find(std::filesystem::path(name).extension().string());
    return found == byExtension.end() ? "application/octet-stream" : found->second;
}
