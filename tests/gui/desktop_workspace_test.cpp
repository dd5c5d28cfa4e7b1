// The workspace against a private bus: name ownership as seen by NameHasOwner, a detached
// program start observed through the file it writes, and "reveal" answered by a file manager
// played by the test on its own thread (the workspace's call is synchronous).

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/desktop/Workspace.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/MainLoopPump.h"
#include "support/gui/PrivateSessionBus.h"

namespace {

constexpr const char* kFileManagerXml = R"xml(
<node>
  <interface name="org.freedesktop.FileManager1">
    <method name="ShowItems">
      <arg name="uris" type="as" direction="in"/>
      <arg name="startupId" type="s" direction="in"/>
    </method>
  </interface>
</node>)xml";

// A file manager on a thread and main context of its own, recording ShowItems.
class TestFileManager {
public:
    TestFileManager() : m_thread([this] { run(); }) {
        pumpUntil([this] { return m_ready.load(); });
    }
    ~TestFileManager() {
        m_stop = true;
        g_main_context_wakeup(m_context);
        m_thread.join();
    }

    std::vector<std::string> shownUris() {
        std::lock_guard lock(m_mutex);
        return m_uris;
    }

private:
    void run() {
        m_context = g_main_context_new();
        g_main_context_push_thread_default(m_context);
        {
            auto connection = PrivateSessionBus::instance().connect();
            GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kFileManagerXml, nullptr);
            static const GDBusInterfaceVTable vtable = {&TestFileManager::onMethodCall, nullptr, nullptr, {}};
            const guint object = g_dbus_connection_register_object(connection.get(), "/org/freedesktop/FileManager1",
                                                                   node->interfaces[0], &vtable, this, nullptr, nullptr);
            GVariantPtr reply(g_dbus_connection_call_sync(
                connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                g_variant_new("(su)", "org.freedesktop.FileManager1", 4u), nullptr, G_DBUS_CALL_FLAGS_NONE, 2000,
                nullptr, nullptr));
            m_ready = true;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!m_stop && std::chrono::steady_clock::now() < deadline) g_main_context_iteration(m_context, TRUE);
            g_dbus_connection_unregister_object(connection.get(), object);
            g_dbus_node_info_unref(node);
        }
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }

    static void onMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                             GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
        auto* self = static_cast<TestFileManager*>(data);
        GVariantPtr uris(g_variant_get_child_value(parameters, 0));
        gsize count = 0;
        const gchar** strings = g_variant_get_strv(uris.get(), &count);
        {
            std::lock_guard lock(self->m_mutex);
            self->m_uris.assign(strings, strings + count);
        }
        g_free(strings);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    GMainContext* m_context = nullptr;
    std::mutex m_mutex;
    std::vector<std::string> m_uris;
    std::thread m_thread;
};

class WorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }

    TempHome home;
    Workspace workspace;
};

}  // namespace

TEST_F(WorkspaceTest, NameHasOwnerAnswersForOwnedAndUnownedNames) {
    auto peer = PrivateSessionBus::instance().connect();
    bool owned = false;
    const guint owner = g_bus_own_name_on_connection(
        peer.get(), "app.velloq.Running", G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, gpointer flag) { *static_cast<bool*>(flag) = true; }, nullptr, &owned, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return owned; }));

    EXPECT_TRUE(workspace.isNameOwned("app.velloq.Running"));
    EXPECT_FALSE(workspace.isNameOwned("app.velloq.NotRunning"));
    EXPECT_FALSE(workspace.isNameOwned("not a bus name"));
    EXPECT_FALSE(workspace.isNameOwned(""));

    g_bus_unown_name(owner);
    g_dbus_connection_flush_sync(peer.get(), nullptr, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return !workspace.isNameOwned("app.velloq.Running"); }));
}

TEST_F(WorkspaceTest, LaunchProgramStartsItDetachedWithItsArguments) {
    const std::string folder = home.path() + "/Velloq Parlor.app/Contents/MacOS";
    const std::string program = folder + "/Velloq Parlor";
    const std::string marker = home.path() + "/started";
    writeFileText(program, "#!/bin/sh\nprintf '%s' \"$1\" > \"$2\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);

    ASSERT_TRUE(workspace.launchProgram(program, {"arg with space", marker}));
    ASSERT_TRUE(pumpUntil([&] { return readFileText(marker) == "arg with space"; }));
}

TEST_F(WorkspaceTest, LaunchProgramRefusesMissingOrNonExecutableFiles) {
    EXPECT_FALSE(workspace.launchProgram(home.path() + "/missing"));
    writeFileText(home.path() + "/plain", "text");
    EXPECT_FALSE(workspace.launchProgram(home.path() + "/plain"));
    EXPECT_FALSE(workspace.launchProgram(""));
}

TEST_F(WorkspaceTest, RevealAsksTheFileManagerToShowTheFile) {
    TestFileManager fileManager;
    const std::string file = home.path() + "/Downloads/report 1.pdf";
    writeFileText(file, "pdf");

    ASSERT_TRUE(workspace.revealFile(file));
    const auto uris = fileManager.shownUris();
    ASSERT_EQ(uris.size(), 1u);
    gchar* path = g_filename_from_uri(uris[0].c_str(), nullptr, nullptr);
    EXPECT_STREQ(path, file.c_str());
    g_free(path);
}

TEST_F(WorkspaceTest, MissingFilesAndEmptyAddressesAreRefused) {
    EXPECT_FALSE(workspace.revealFile(home.path() + "/missing.pdf"));
    EXPECT_FALSE(workspace.openFile(home.path() + "/missing.pdf"));
    EXPECT_FALSE(workspace.openUrl(""));
}

TEST_F(WorkspaceTest, UnknownSchemeHasNoHandler) {
    EXPECT_FALSE(workspace.hasHandlerForScheme("velloq-no-such-scheme"));
    EXPECT_FALSE(workspace.hasHandlerForScheme(""));
}
