#pragma once
// The operating system's own description, from the os-release file (/etc/os-release, else
// /usr/lib/os-release): shell-style KEY=value lines, values possibly quoted.

#include <string>
#include <string_view>

namespace OsRelease {

// The value of key in the text of an os-release file, unquoted; empty when absent.
std::string valueIn(std::string_view fileText, std::string_view key);

// "NAME VERSION_ID" of this system, e.g. "Debian GNU/Linux 12"; a missing part is left out.
std::string nameAndVersion();

}  // namespace OsRelease
