// The workspace against a private bus: name ownership as seen by NameHasOwner, a detached
// program start observed through the file it writes, and "reveal" taken by a file manager
// played by the test, which holds its answer back to show that the caller does not wait.

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/desktop/Workspace.h"
#include "support/TempHome.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"

namespace {

// Owns org.freedesktop.FileManager1 and records the uris of every ShowItems call; the call is
// answered only by answerHeldCall().
struct TestFileManager {
    ~TestFileManager() { answerHeldCall(); }

    void answerHeldCall() {
        std::lock_guard lock(mutex);
        if (!heldCall) return;
        GObjectPtr<GDBusMessage> reply(g_dbus_message_new_method_reply(heldCall.get()));
        g_dbus_connection_send_message(connection.get(), reply.get(), G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
        heldCall.reset();
    }

    TestFileManager() {
        g_dbus_connection_add_filter(connection.get(), &TestFileManager::onMessage, this, nullptr);
        GVariantPtr reply(g_dbus_connection_call_sync(
            connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.freedesktop.FileManager1", 4u), G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE,
            2000, nullptr, nullptr));
        guint32 result = 0;
        if (reply) g_variant_get(reply.get(), "(u)", &result);
        EXPECT_EQ(result, 1u) << "the test file manager does not own its name";
    }

    static GDBusMessage* onMessage(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer self) {
        if (!incoming || g_strcmp0(g_dbus_message_get_member(message), "ShowItems") != 0) return message;
        gchar** uris = nullptr;
        g_variant_get(g_dbus_message_get_body(message), "(^as&s)", &uris, nullptr);
        {
            std::lock_guard lock(static_cast<TestFileManager*>(self)->mutex);
            static_cast<TestFileManager*>(self)->uris.assign(uris, uris + g_strv_length(uris));
            static_cast<TestFileManager*>(self)->heldCall.reset(message);
        }
        g_strfreev(uris);
        return nullptr;
    }

    GObjectPtr<GDBusConnection> connection = PrivateSessionBus::instance().connect();
    std::mutex mutex;
    std::vector<std::string> uris;
    GObjectPtr<GDBusMessage> heldCall;
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

TEST_F(WorkspaceTest, LaunchProgramStartsAnExecutableDetachedWithItsArgumentsAndRefusesOthers) {
    const std::string program = home.path() + "/Velloq Parlor.app/Contents/MacOS/Velloq Parlor";
    const std::string marker = home.path() + "/started";
    writeFileText(program, "#!/bin/sh\nprintf '%s' \"$1\" > \"$2\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ASSERT_TRUE(workspace.launchProgram(program, {"arg with space", marker}));
    ASSERT_TRUE(pumpUntil([&] { return readFileText(marker) == "arg with space"; }));

    writeFileText(home.path() + "/plain", "text");
    for (const std::string& refused : {home.path() + "/missing", home.path() + "/plain", std::string()}) {
        EXPECT_FALSE(workspace.launchProgram(refused)) << refused;
    }
}

TEST_F(WorkspaceTest, RevealAsksTheFileManagerToShowTheFile) {
    TestFileManager fileManager;
    const std::string file = home.path() + "/Downloads/report 1.pdf";
    writeFileText(file, "pdf");

    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(workspace.revealFile(file));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1000))
        << "reveal waited for the file manager's answer";
    ASSERT_TRUE(pumpUntil([&] {
        std::lock_guard lock(fileManager.mutex);
        return fileManager.heldCall != nullptr;
    }));
    fileManager.answerHeldCall();
    std::lock_guard lock(fileManager.mutex);
    const auto& uris = fileManager.uris;
    ASSERT_EQ(uris.size(), 1u);
    std::unique_ptr<gchar, decltype(&g_free)> path(g_filename_from_uri(uris[0].c_str(), nullptr, nullptr), g_free);
    EXPECT_STREQ(path.get(), file.c_str());
}

TEST_F(WorkspaceTest, MissingFilesEmptyAddressesAndUnknownSchemesAreRefused) {
    EXPECT_FALSE(workspace.revealFile(home.path() + "/missing.pdf"));
    EXPECT_FALSE(workspace.openFile(home.path() + "/missing.pdf"));
    EXPECT_FALSE(workspace.openUrl(""));
    EXPECT_FALSE(workspace.hasHandlerForScheme("velloq-no-such-scheme"));
    EXPECT_FALSE(workspace.hasHandlerForScheme(""));
}
