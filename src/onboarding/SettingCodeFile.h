#pragma once
// A signed setting code kept in a file. The entry screen's file row and an administrator's
// provisioning file read it the same way; both are verified against the embedded key and
// applied as a pasted code is.

#include <optional>
#include <string>

namespace SettingCodeFile {

// Looked for in each of the system configuration folders ($XDG_CONFIG_DIRS, /etc/xdg unset).
inline constexpr const char* kProvisionedName = "velloq-parlor/setting-code.txt";

// The file's text when it can be read and is UTF-8; otherwise nullopt, and why in *failure.
std::optional<std::string> read(const std::string& path, std::string* failure = nullptr);

// The administrator's code, when a system configuration folder holds one (the first wins),
// read and verified as the file row's is; then stored and a server chosen, as a check on the
// entry screen does. False, with the reason logged, when there is none or it fails a check.
bool applyProvisioned(const std::string& embeddedPublicKeyPem);

}  // namespace SettingCodeFile
