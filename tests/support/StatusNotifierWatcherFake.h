#pragma once
// A desktop's status area as the application sees it on the bus: owns
// org.kde.StatusNotifierWatcher, accepts RegisterStatusNotifierItem and records who registered
// which item. Incoming calls are handled while the default main context is iterated.

#include <string>
#include <vector>

#include "platform/GObjectPtr.h"

class StatusNotifierWatcherFake {
public:
    struct Registration {
        std::string sender;   // unique name of the caller
        std::string service;  // the argument: a bus name or an object path
    };

    // connection is borrowed and must outlive the fake.
    explicit StatusNotifierWatcherFake(GDBusConnection* connection);
    ~StatusNotifierWatcherFake();
    StatusNotifierWatcherFake(const StatusNotifierWatcherFake&) = delete;
    StatusNotifierWatcherFake& operator=(const StatusNotifierWatcherFake&) = delete;

    bool ownsName() const { return m_ownsName; }
    const std::vector<Registration>& registrations() const { return m_registrations; }
    // Bus name and object path of the last registered item.
    std::pair<std::string, std::string> lastItemAddress() const;

private:
    static void handleMethodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                                 const gchar* methodName, GVariant* parameters, GDBusMethodInvocation* invocation,
                                 gpointer self);

    GDBusConnection* m_connection;
    guint m_registrationId = 0;
    guint m_ownerId = 0;
    bool m_ownsName = false;
    std::vector<Registration> m_registrations;
};
