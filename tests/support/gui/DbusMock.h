#pragma once
// D-Bus from a test on the private session bus. callAndPump: a method call made while the main
// context keeps running, so that a service exported by the code under test on this same thread
// can answer it (a synchronous call would block the very loop that has to serve it). DbusMock: a
// python-dbusmock service, from one of its templates (e.g. "notification_daemon") or a bare
// object given its methods by the test, run for the life of the object and killed afterwards;
// the test reads the calls the service received and makes it emit signals through the mock's
// control interface.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "platform/GObjectPtr.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"

struct BusCallResult {
    GVariantPtr reply;  // null on error or timeout
    GErrorPtr error;    // null on success
    explicit operator bool() const { return reply != nullptr; }
};

// parameters may be floating (it is consumed) or null.
inline BusCallResult callAndPump(GDBusConnection* connection, const std::string& busName, const std::string& objectPath,
                                 const std::string& interfaceName, const std::string& method, GVariant* parameters,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    // Shared with the reply's callback, which may come after this has given up waiting.
    using Pending = std::shared_ptr<std::optional<BusCallResult>>;
    const auto pending = std::make_shared<std::optional<BusCallResult>>();
    const auto onReply = [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<Pending> kept(static_cast<Pending*>(data));
        GError* error = nullptr;
        GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error));
        **kept = BusCallResult{std::move(reply), GErrorPtr(error)};
    };
    g_dbus_connection_call(connection, busName.c_str(), objectPath.c_str(), interfaceName.c_str(), method.c_str(),
                           parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, static_cast<int>(timeout.count()), nullptr,
                           onReply, new Pending(pending));
    // The call's own timeout ends it; the pump's bound only guards against a lost reply.
    pumpUntil([&] { return pending->has_value(); }, timeout + std::chrono::seconds(1));
    if (!*pending) return {nullptr, GErrorPtr(g_error_new_literal(G_IO_ERROR, G_IO_ERROR_TIMED_OUT, "no reply"))};
    return std::move(**pending);
}

class DbusMock {
public:
    // Starts `python3 -m dbusmock <arguments>` (e.g. {"--template", "notification_daemon"}, or
    // {name, path, interface}) and waits (bounded) until it owns busName; a mock that does not
    // start fails the test. dbusmock is installed for the system's own interpreter only.
    DbusMock(const std::vector<std::string>& arguments, std::string busName, std::string objectPath)
        : m_busName(std::move(busName)), m_objectPath(std::move(objectPath)) {
        std::vector<const gchar*> argv{"/usr/bin/python3", "-m", "dbusmock"};
        for (const auto& argument : arguments) argv.push_back(argument.c_str());
        argv.push_back(nullptr);
        GError* error = nullptr;
        // The child inherits DBUS_SESSION_BUS_ADDRESS, which points at the private bus.
        m_process.reset(g_subprocess_newv(argv.data(), G_SUBPROCESS_FLAGS_STDOUT_SILENCE, &error));
        const GErrorPtr failure(error);
        if (!m_process) {
            ADD_FAILURE() << "cannot start dbusmock: " << failure->message;
            return;
        }
        const auto answers = [this] {
            return static_cast<bool>(call("/", "org.freedesktop.DBus.Peer", "Ping", nullptr));
        };
        if (!pumpUntil(answers, std::chrono::seconds(20))) ADD_FAILURE() << "dbusmock did not take " << m_busName;
    }
    ~DbusMock() {
        if (!m_process) return;
        g_subprocess_force_exit(m_process.get());
        g_subprocess_wait(m_process.get(), nullptr, nullptr);
    }
    DbusMock(const DbusMock&) = delete;
    DbusMock& operator=(const DbusMock&) = delete;

    // The argument tuples of every call of method so far, oldest first.
    std::vector<GVariantPtr> methodCalls(const std::string& method) {
        std::vector<GVariantPtr> calls;
        const auto result = call(m_objectPath, kMock, "GetMethodCalls", g_variant_new("(s)", method.c_str()));
        if (!result) return calls;
        GVariantPtr list(g_variant_get_child_value(result.reply.get(), 0));  // a(tav): time, arguments
        for (gsize index = 0; index < g_variant_n_children(list.get()); ++index) {
            GVariantPtr call(g_variant_get_child_value(list.get(), index));
            calls.emplace_back(g_variant_get_child_value(call.get(), 1));
        }
        return calls;
    }
    // Adds a method whose Python code runs on each call (dbusmock's AddMethod).
    bool addMethod(const std::string& interfaceName, const std::string& method, const std::string& inSignature,
                   const std::string& code) {
        return control("AddMethod", g_variant_new("(sssss)", interfaceName.c_str(), method.c_str(), inSignature.c_str(),
                                                  "", code.c_str()));
    }
    // Adds a property (dbusmock's AddProperty), then changes it as the service would, with
    // PropertiesChanged (the standard Set); value is floating.
    bool addProperty(const std::string& interfaceName, const std::string& name, GVariant* value) {
        return control("AddProperty", g_variant_new("(ssv)", interfaceName.c_str(), name.c_str(), value));
    }
    bool setProperty(const std::string& interfaceName, const std::string& name, GVariant* value) {
        return static_cast<bool>(call(m_objectPath, "org.freedesktop.DBus.Properties", "Set",
                                      g_variant_new("(ssv)", interfaceName.c_str(), name.c_str(), value)));
    }
    // Emits interfaceName.signal with the arguments, each boxed in a variant: a floating "av"
    // (e.g. g_variant_new_parsed("[<uint32 1>, <'default'>]")) matching signature.
    bool emitSignal(const std::string& interfaceName, const std::string& signal, const std::string& signature,
                    GVariant* arguments) {
        return control("EmitSignal",
                       g_variant_new("(sss@av)", interfaceName.c_str(), signal.c_str(), signature.c_str(), arguments));
    }

private:
    static constexpr const char* kMock = "org.freedesktop.DBus.Mock";

    BusCallResult call(const std::string& path, const char* interfaceName, const char* method, GVariant* parameters) {
        return callAndPump(m_connection.get(), m_busName, path, interfaceName, method, parameters);
    }
    // A call on the mock's control interface; false when it failed.
    bool control(const char* method, GVariant* parameters) {
        return static_cast<bool>(call(m_objectPath, kMock, method, parameters));
    }

    std::string m_busName;
    std::string m_objectPath;
    GObjectPtr<GDBusConnection> m_connection = PrivateSessionBus::instance().connect();
    GObjectPtr<GSubprocess> m_process;
};
