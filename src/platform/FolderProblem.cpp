#include "platform/FolderProblem.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

FolderProblem diagnoseUnwritableFolder(const std::string& folder) {
    std::error_code error;
    fs::path existing(folder);
    while (!fs::exists(fs::symlink_status(existing, error)) && existing.has_parent_path() &&
           existing != existing.parent_path()) {
        existing = existing.parent_path();
    }
    if (!fs::is_directory(existing, error)) return FolderProblem::NotAFolder;
    if (access(existing.c_str(), W_OK | X_OK) != 0) return FolderProblem::NoPermission;
    struct statvfs space{};
    if (statvfs(existing.c_str(), &space) == 0 && space.f_bavail == 0) return FolderProblem::DiskFull;
    return FolderProblem::Unknown;
}
