#pragma once
// Where the login-item helper lives: a bundle of its own inside the application's bundle. The
// application starts it to restart itself, and start at login registers it.

#include <string>

namespace LoginItemHelperPaths {

// <main bundle>/Contents/Library/LoginItems/<helper name>.app
std::string bundlePath();
// The helper's program inside that bundle.
std::string executablePath();

}  // namespace LoginItemHelperPaths
