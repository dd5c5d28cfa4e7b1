#include "FuzzHome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

FuzzHome& FuzzHome::instance() {
    static FuzzHome home;
    return home;
}

FuzzHome::FuzzHome() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "velloq-fuzz-home-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) {
        std::perror("velloq fuzz: cannot create a home folder");
        std::abort();
    }
    m_path = pattern;
    fs::create_directories(fs::path(m_path) / "Documents", error);
    setenv("HOME", m_path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_path + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (m_path + "/.local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (m_path + "/.cache").c_str(), 1);
}

FuzzHome::~FuzzHome() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string FuzzHome::documentsFile(const std::string& name) const {
    return m_path + "/Documents/" + name;
}

bool FuzzHome::writeDocumentsFile(const std::string& name, const void* data, std::size_t size) const {
    std::ofstream out(documentsFile(name), std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}
