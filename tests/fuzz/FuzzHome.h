#pragma once
// A private home folder for the whole fuzzing process. The stores find their files under
// $HOME/Documents and are created once per process, so HOME must point here before any of
// them is first used; FuzzHome::instance() sets it on its first call and removes the folder
// when the process ends normally.

#include <string>

class FuzzHome {
public:
    static FuzzHome& instance();

    const std::string& path() const { return m_path; }
    std::string documentsFile(const std::string& name) const;
    // Replaces Documents/<name> with exactly these bytes; false when it cannot be written.
    bool writeDocumentsFile(const std::string& name, const void* data, std::size_t size) const;

    FuzzHome(const FuzzHome&) = delete;
    FuzzHome& operator=(const FuzzHome&) = delete;

private:
    FuzzHome();
    ~FuzzHome();

    std::string m_path;
};
