#pragma once
// The session bus connection used by the desktop services when none is given.

#include "platform/GObjectPtr.h"

namespace SessionBus {

// A new reference on the given connection, or on the process's session bus when it is null.
// Null when there is no session bus.
GObjectPtr<GDBusConnection> resolve(GDBusConnection* connection);

}  // namespace SessionBus
