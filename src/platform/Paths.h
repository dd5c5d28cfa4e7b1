#pragma once
// Where the user's files live. Every answer is computed afresh from the environment, because
// GLib caches the home and special folders for the life of the process and tests (and the
// launcher) change HOME and the XDG variables.

#include <string>

namespace Paths {

// $HOME when set and not empty, else the account's home folder from the password database.
std::string homeDirectory();
// <home>/Documents; not created here (the writers create it when they need it).
std::string documentsDirectory();
// The XDG download folder from $XDG_CONFIG_HOME/user-dirs.dirs when it names one, else
// <home>/Downloads.
std::string downloadsDirectory();
// $XDG_CONFIG_HOME (absolute) or <home>/.config.
std::string userConfigBaseDirectory();
// <config base>/velloq-parlor
std::string userConfigDirectory();

}  // namespace Paths
