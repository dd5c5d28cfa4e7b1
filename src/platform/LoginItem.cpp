#include "platform/LoginItem.h"

#include <cerrno>
#include <memory>

#include <glib.h>
#include <glib/gstdio.h>

#include "platform/DesktopEntry.h"
#include "platform/GObjectPtr.h"
#include "platform/Paths.h"

namespace {

constexpr const char* kGroup = G_KEY_FILE_DESKTOP_GROUP;

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileFree>;

std::string keyFileText(const std::string& name, const std::string& exec) {
    KeyFilePtr file(g_key_file_new());
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE, G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, name.c_str());
    // set_string adds the key file's own escaping on top of the Exec quoting.
    g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC, exec.c_str());
    g_key_file_set_boolean(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY, TRUE);
    g_key_file_set_boolean(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_TERMINAL, FALSE);
    g_key_file_set_boolean(file.get(), kGroup, "X-GNOME-Autostart-enabled", TRUE);
    gsize length = 0;
    GCharPtr data(g_key_file_to_data(file.get(), &length, nullptr));
    return data ? std::string(data.get(), length) : std::string();
}

}  // namespace

LoginItem::LoginItem(std::string helperId, std::string displayName)
    : m_helperId(std::move(helperId)), m_displayName(std::move(displayName)) {}

std::string LoginItem::desktopFilePath() const {
    return Paths::userConfigBaseDirectory() + "/autostart/" + m_helperId + ".desktop";
}

bool LoginItem::enable(const std::string& helperExecutable) {
    if (helperExecutable.empty() || !g_path_is_absolute(helperExecutable.c_str())) return false;
    const std::string path = desktopFilePath();
    GCharPtr folder(g_path_get_dirname(path.c_str()));
    if (g_mkdir_with_parents(folder.get(), 0700) != 0) return false;
    const std::string text = keyFileText(m_displayName, DesktopEntry::quoteExecArgument(helperExecutable));
    return !text.empty() && g_file_set_contents(path.c_str(), text.c_str(), text.size(), nullptr);
}

bool LoginItem::disable() {
    const std::string path = desktopFilePath();
    return g_remove(path.c_str()) == 0 || errno == ENOENT;
}

bool LoginItem::setEnabled(bool enabled, const std::string& helperExecutable) {
    return enabled ? enable(helperExecutable) : disable();
}
