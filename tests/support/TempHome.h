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

// One home for the whole process, made on first use and removed at exit: for code that must
// see the same HOME from its first call on (process-wide stores under fuzzing).
TempHome& processHome();

// Whole contents of a file, or "" when it cannot be read.
std::string readFileText(const std::string& path);
// Creates the parent folders; false when the file could not be written.
bool writeFileText(const std::string& path, const std::string& text);
