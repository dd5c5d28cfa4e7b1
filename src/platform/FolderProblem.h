#pragma once
// Why files could not be written into a folder, told in terms a user can act on. Asked after a
// write failed: the folder (or the nearest of its parents that exists, for one not made yet) is
// examined as it is now.

#include <string>

enum class FolderProblem { NotAFolder, NoPermission, DiskFull, Unknown };

FolderProblem diagnoseUnwritableFolder(const std::string& folder);
