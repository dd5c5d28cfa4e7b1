#include "support/gui/DbusMock.h"

#include <gtest/gtest.h>

#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"
#include "support/gui/BusCall.h"

namespace {

constexpr const char* kMockInterface = "org.freedesktop.DBus.Mock";
// dbusmock is installed for the system's own interpreter only.
constexpr const char* kPython = "/usr/bin/python3";

}  // namespace

DbusMock::DbusMock(const std::vector<std::string>& arguments, std::string busName, std::string objectPath)
    : m_busName(std::move(busName)),
      m_objectPath(std::move(objectPath)),
      m_connection(PrivateSessionBus::instance().connect()) {
    std::vector<const gchar*> argv{kPython, "-m", "dbusmock"};
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    GError* error = nullptr;
    // The child inherits DBUS_SESSION_BUS_ADDRESS, which points at the private bus.
    m_process.reset(g_subprocess_newv(argv.data(), G_SUBPROCESS_FLAGS_STDOUT_SILENCE, &error));
    GErrorPtr failure(error);
    if (!m_process) {
        ADD_FAILURE() << "cannot start dbusmock: " << failure->message;
        return;
    }
    const auto answers = [this] {
        return static_cast<bool>(
            callAndPump(m_connection.get(), m_busName, "/", "org.freedesktop.DBus.Peer", "Ping", nullptr));
    };
    if (!pumpUntil(answers, std::chrono::seconds(20))) ADD_FAILURE() << "dbusmock did not take " << m_busName;
}

DbusMock::~DbusMock() {
    if (!m_process) return;
    g_subprocess_force_exit(m_process.get());
    g_subprocess_wait(m_process.get(), nullptr, nullptr);
}

std::vector<GVariantPtr> DbusMock::methodCalls(const std::string& method) {
    std::vector<GVariantPtr> calls;
    auto result = callAndPump(m_connection.get(), m_busName, m_objectPath, kMockInterface, "GetMethodCalls",
                              g_variant_new("(s)", method.c_str()));
    if (!result) return calls;
    GVariantPtr list(g_variant_get_child_value(result.reply.get(), 0));  // a(tav): time, arguments
    for (gsize index = 0; index < g_variant_n_children(list.get()); ++index) {
        GVariantPtr call(g_variant_get_child_value(list.get(), index));
        calls.emplace_back(g_variant_get_child_value(call.get(), 1));
    }
    return calls;
}

bool DbusMock::addMethod(const std::string& interfaceName, const std::string& method, const std::string& inSignature,
                         const std::string& code) {
    return static_cast<bool>(callAndPump(
        m_connection.get(), m_busName, m_objectPath, kMockInterface, "AddMethod",
        g_variant_new("(sssss)", interfaceName.c_str(), method.c_str(), inSignature.c_str(), "", code.c_str())));
}

bool DbusMock::addProperty(const std::string& interfaceName, const std::string& name, GVariant* value) {
    return static_cast<bool>(callAndPump(m_connection.get(), m_busName, m_objectPath, kMockInterface, "AddProperty",
                                         g_variant_new("(ssv)", interfaceName.c_str(), name.c_str(), value)));
}

bool DbusMock::setProperty(const std::string& interfaceName, const std::string& name, GVariant* value) {
    return static_cast<bool>(callAndPump(m_connection.get(), m_busName, m_objectPath, "org.freedesktop.DBus.Properties",
                                         "Set", g_variant_new("(ssv)", interfaceName.c_str(), name.c_str(), value)));
}

bool DbusMock::emitSignal(const std::string& interfaceName, const std::string& signal, const std::string& signature,
                          GVariant* arguments) {
    return static_cast<bool>(
        callAndPump(m_connection.get(), m_busName, m_objectPath, kMockInterface, "EmitSignal",
                    g_variant_new("(sss@av)", interfaceName.c_str(), signal.c_str(), signature.c_str(), arguments)));
}
