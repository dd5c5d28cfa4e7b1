#pragma once
// A fresh, empty home folder for one test: HOME (and the XDG folders under it) point into a
// new temporary folder for the object's lifetime, which is removed afterwards.

#include <string>

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& path() const { return m_path; }
    std::string documents() const { return m_path + "/Documents"; }

private:
    std::string m_path;
    std::string m_previousHome;
};

// Whole contents of a file, or "" when it cannot be read.
std::string readFileText(const std::string& path);
void writeFileText(const std::string& path, const std::string& text);
