#pragma once
// Writing command lines into Desktop Entry files (the Exec key), quoted so that a desktop
// reading the file starts exactly the program and arguments given.

#include <string>

namespace DesktopEntry {

// One argument in the Exec quoting: left bare when it holds no reserved character, otherwise
// in double quotes with `"`, backtick, `$` and `\` escaped by a backslash; `%` is doubled
// either way so that it is never read as a field code. The result is the Exec value before the
// key file's own string escaping (GKeyFile adds that when writing).
std::string quoteExecArgument(const std::string& argument);

}  // namespace DesktopEntry
