#pragma once
// The session bus connection used by the desktop services when none is given, and the
// question asked of it to tell whether a program runs.

#include <string>

#include "platform/GObjectPtr.h"

namespace SessionBus {

// A new reference on the given connection, or on the process's session bus when it is null.
// Null when there is no session bus.
GObjectPtr<GDBusConnection> resolve(GDBusConnection* connection);

// Whether some connection owns busName (NameHasOwner); false for an invalid name, no
// connection, or no answer within a couple of seconds.
bool nameHasOwner(GDBusConnection* connection, const std::string& busName);

}  // namespace SessionBus
