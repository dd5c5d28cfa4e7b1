#pragma once
// What the end-to-end tests of the application shell share: a fresh home, a session bus of the
// test's own (the DBUS_SESSION_BUS_ADDRESS of every program started), the test's connection to
// it, and the programs the test started. Members go in reverse order: the programs are reaped before the bus and the home go.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "platform/GObjectPtr.h"
#include "support/BundleProcess.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"
#include "support/TempHome.h"

using namespace std::chrono_literals;

class ShellTestFixture : public ::testing::Test {
protected:
    static constexpr auto kStartLimit = 40s;

    static bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds limit = 20s) {
        return pumpUntil(predicate, limit);
    }

    BundleProcess& start(const std::string& executable) {
        return *m_processes.emplace_back(std::make_unique<BundleProcess>(std::vector<std::string>{executable}));
    }

    GVariantPtr call(const std::string& busName, const std::string& objectPath, const char* interface,
                     const char* method, GVariant* parameters, const GVariantType* replyType) const {
        return GVariantPtr(g_dbus_connection_call_sync(m_connection.get(), busName.c_str(), objectPath.c_str(),
                                                       interface, method, parameters, replyType,
                                                       G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr));
    }

    // The process owning the application's name on the bus.
    std::optional<pid_t> applicationOwner() const {
        auto reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "GetConnectionUnixProcessID", g_variant_new("(s)", BuildConfig::kAppId), G_VARIANT_TYPE("(u)"));
        guint32 pid = 0;
        if (reply) g_variant_get(reply.get(), "(u)", &pid);
        return reply ? std::optional<pid_t>(pid) : std::nullopt;
    }

    // Starts the application and waits until it owns its name on the bus; the process, or null
    // after a failed wait (the test has failed then).
    BundleProcess* startApplication() {
        auto& process = start(BundleProcess::applicationExecutable());
        const bool started = waitUntil([&] { return applicationOwner() == process.pid(); }, kStartLimit);
        EXPECT_TRUE(started) << "the application did not start in time";
        return started ? &process : nullptr;
    }

    TempHome m_home;
    PrivateSessionBus m_bus;
    GObjectPtr<GDBusConnection> m_connection = m_bus.connect();  // fails the test when it cannot
    std::vector<std::unique_ptr<BundleProcess>> m_processes;
};
