#pragma once
// The application's entry in the desktop's launcher or dock: an unread count badge and an
// "urgent" mark, sent as com.canonical.Unity.LauncherEntry.Update(s app_uri, a{sv} props)
// signals on the session bus for "application://<app id>.desktop". Every change sends the whole
// state ("count" int64, "count-visible" bool, "urgent" bool, "progress" double,
// "progress-visible" bool), so a dock that missed one still ends up right.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/GObjectPtr.h"

class LauncherEntry {
public:
    // connection: null means the session bus. Without a bus the entry keeps its state only.
    explicit LauncherEntry(const std::string& appId, GDBusConnection* connection = nullptr);

    // A count above 0 is shown; 0 or less hides the badge.
    void setCount(std::int64_t count);
    void clearCount() { setCount(0); }
    void setUrgent(bool urgent);
    // A fraction from 0 to 1 shown on the icon (e.g. running downloads); none hides it.
    void setProgress(std::optional<double> progress);

    std::int64_t count() const { return m_count; }
    bool isUrgent() const { return m_urgent; }
    std::optional<double> progress() const { return m_progress; }
    const std::string& appUri() const { return m_appUri; }
    const std::string& objectPath() const { return m_objectPath; }

    static std::string appUriFor(const std::string& appId);

private:
    void emitUpdate();

    GObjectPtr<GDBusConnection> m_connection;
    std::string m_appUri;
    std::string m_objectPath;
    std::int64_t m_count = 0;
    bool m_urgent = false;
    std::optional<double> m_progress;
};
