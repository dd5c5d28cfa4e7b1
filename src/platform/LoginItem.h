#pragma once
// Start at login through XDG autostart: $XDG_CONFIG_HOME/autostart/<helper id>.desktop
// (XDG_CONFIG_HOME defaults to ~/.config) whose Exec starts the helper program. The file is
// written atomically; disabling removes it.
//
// The folders are read from the environment at each call, so a changed HOME or
// XDG_CONFIG_HOME (as in tests) takes effect at once.

#include <string>

class LoginItem {
public:
    // helperId names the file; displayName is the entry's Name.
    LoginItem(std::string helperId, std::string displayName);

    // Writes the entry starting helperExecutable. False (and nothing written) for an empty or
    // relative path, or when the file cannot be written.
    bool enable(const std::string& helperExecutable);
    // Removes the entry. True when no entry remains.
    bool disable();
    // enable(helperExecutable) or disable().
    bool setEnabled(bool enabled, const std::string& helperExecutable);

    std::string desktopFilePath() const;

private:
    std::string m_helperId;
    std::string m_displayName;
};
