#include "support/TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempHome::TempHome() {
    std::string pattern = (fs::temp_directory_path() / "velloq-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    if (const char* home = std::getenv("HOME")) m_previousHome = home;
    setenv("HOME", m_path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_path + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (m_path + "/.local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (m_path + "/.cache").c_str(), 1);
}

TempHome::~TempHome() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
    if (!m_previousHome.empty()) setenv("HOME", m_previousHome.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CACHE_HOME");
}

std::string readFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TempHome& processHome() {
    static TempHome home;
    return home;
}

bool writeFileText(const std::string& path, const std::string& text) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}
