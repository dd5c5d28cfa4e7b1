#pragma once
// Watches one folder with inotify and reports, in order, the names of files that were
// completed there (closed after writing, or renamed into place as atomic writes do).

#include <string>
#include <vector>

class FileRenameWatch {
public:
    // Throws std::runtime_error when the folder cannot be watched.
    explicit FileRenameWatch(const std::string& folder);
    ~FileRenameWatch();
    FileRenameWatch(const FileRenameWatch&) = delete;
    FileRenameWatch& operator=(const FileRenameWatch&) = delete;

    // Every event so far, oldest first; does not block.
    std::vector<std::string> completedNames();

private:
    int m_fd = -1;
    std::vector<std::string> m_names;
};
