#include "support/gui/BusCall.h"

#include <memory>

#include "support/MainLoopPump.h"

BusCallResult callAndPump(GDBusConnection* connection, const std::string& busName, const std::string& objectPath,
                          const std::string& interfaceName, const std::string& method, GVariant* parameters,
                          std::chrono::milliseconds timeout) {
    struct Pending {
        bool done = false;
        BusCallResult result;
    };
    // Shared with the reply's callback, which may come after this has given up waiting.
    auto pending = std::make_shared<Pending>();
    const auto onReply = [](GObject* source, GAsyncResult* result, gpointer data) {
        const std::unique_ptr<std::shared_ptr<Pending>> kept(static_cast<std::shared_ptr<Pending>*>(data));
        GError* error = nullptr;
        (*kept)->result.reply.reset(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error));
        (*kept)->result.error.reset(error);
        (*kept)->done = true;
    };
    g_dbus_connection_call(connection, busName.c_str(), objectPath.c_str(), interfaceName.c_str(), method.c_str(),
                           parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, static_cast<int>(timeout.count()), nullptr,
                           onReply, new std::shared_ptr<Pending>(pending));
    // The call's own timeout ends it; the pump's bound only guards against a lost reply.
    pumpUntil([&] { return pending->done; }, timeout + std::chrono::seconds(1));
    if (!pending->done) pending->result.error.reset(g_error_new_literal(G_IO_ERROR, G_IO_ERROR_TIMED_OUT, "no reply"));
    return std::move(pending->result);
}
