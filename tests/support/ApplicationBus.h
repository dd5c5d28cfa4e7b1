#pragma once
// The test's side of the private bus: who owns a name, and the application's actions as
// GApplication exports them (org.gtk.Actions at the object path made from the application id).

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/desktop/GObjectPtr.h"

class ApplicationBus {
public:
    // connection is taken over; the application id is the bundle identifier unless given.
    explicit ApplicationBus(GObjectPtr<GDBusConnection> connection, std::string applicationId = "");

    GDBusConnection* connection() const { return m_connection.get(); }
    const std::string& applicationId() const { return m_applicationId; }
    // "/app/velloq/Parlor" for "app.velloq.Parlor".
    static std::string objectPathFor(const std::string& applicationId);

    bool nameHasOwner(const std::string& name) const;
    std::optional<pid_t> ownerPid(const std::string& name) const;
    // The string state of a stateful application action.
    std::optional<std::string> actionState(const std::string& action) const;
    std::optional<std::string> currentScreen() const { return actionState("current-screen"); }
    bool activateAction(const std::string& action) const;

    // Calls with the bus name, object path and interface of the application itself.
    GVariantPtr call(const std::string& busName, const std::string& objectPath, const std::string& interface,
                     const std::string& method, GVariant* parameters, const GVariantType* replyType) const;

private:
    GObjectPtr<GDBusConnection> m_connection;
    std::string m_applicationId;
};

// Iterates the default main context (so replies and incoming calls are handled) until the
// predicate holds or the limit passes; answers the predicate's last value.
bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds limit = std::chrono::seconds(20));
