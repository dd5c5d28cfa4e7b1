#pragma once
// A desktop's status area as the application sees it on the bus: owns
// org.kde.StatusNotifierWatcher, accepts RegisterStatusNotifierItem and records the items. Incoming
// calls are handled while the default main context is iterated.

#include <string>
#include <vector>

#include "platform/GObjectPtr.h"

class StatusNotifierWatcherFake {
public:
    // connection is borrowed and must outlive the fake.
    explicit StatusNotifierWatcherFake(GDBusConnection* connection);
    ~StatusNotifierWatcherFake();
    StatusNotifierWatcherFake(const StatusNotifierWatcherFake&) = delete;
    StatusNotifierWatcherFake& operator=(const StatusNotifierWatcherFake&) = delete;

    bool ownsName() const { return m_ownsName; }
    // The bus names the items registered with, oldest first.
    const std::vector<std::string>& registrations() const { return m_registrations; }

private:
    static void handleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                 GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self);

    GDBusConnection* m_connection;
    guint m_registrationId = 0;
    guint m_ownerId = 0;
    bool m_ownsName = false;
    std::vector<std::string> m_registrations;
};
