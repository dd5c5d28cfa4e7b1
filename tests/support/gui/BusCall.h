#pragma once
// A D-Bus method call made from a test while the main context keeps running, so that a
// service exported by the code under test on this same thread can answer it. (A synchronous
// call would block the very loop that has to serve it.)

#include <chrono>
#include <string>

#include <gio/gio.h>

#include "platform/GObjectPtr.h"

struct BusCallResult {
    GVariantPtr reply;  // null on error or timeout
    GErrorPtr error;    // null on success
    explicit operator bool() const { return reply != nullptr; }
};

// parameters may be floating (it is consumed) or null.
BusCallResult callAndPump(GDBusConnection* connection, const std::string& busName, const std::string& objectPath,
                          const std::string& interfaceName, const std::string& method, GVariant* parameters,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5));
