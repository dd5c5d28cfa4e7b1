#pragma once
// Where the user's files live. The home and configuration folders are computed afresh from the
// environment at every call, because GLib caches them for the life of the process and tests
// (and the launcher) change HOME and the XDG variables. The downloads folder is the desktop's
// own setting, as GLib reads it from user-dirs.dirs.

#include <string>

namespace Paths {

// $HOME when set and not empty, else the account's home folder from the password database.
std::string homeDirectory();
// <home>/Documents; not created here (the writers create it when they need it).
std::string documentsDirectory();
// The XDG download folder (user-dirs.dirs, read by GLib) when it names one, else <home>/Downloads.
std::string downloadsDirectory();
// $XDG_CONFIG_HOME (absolute) or <home>/.config.
std::string userConfigBaseDirectory();
// <config base>/velloq-parlor
std::string userConfigDirectory();
// $XDG_DATA_HOME (absolute) or <home>/.local/share, followed by /velloq-parlor: the web
// engine's cookies and site data.
std::string userDataDirectory();
// $XDG_CACHE_HOME (absolute) or <home>/.cache, followed by /velloq-parlor.
std::string userCacheDirectory();

}  // namespace Paths
