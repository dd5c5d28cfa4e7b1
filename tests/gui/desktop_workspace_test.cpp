// The workspace against a private bus: name ownership as seen by NameHasOwner, a detached
// program start observed through the file it writes, and "reveal" taken by a file manager
// played by dbusmock, which takes its time to answer to show that the caller does not wait.
// Addresses go to a handler registered in the program's home for mail and for a scheme of the
// test's own, which the workspace must never hand over.

#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/desktop/Workspace.h"
#include "support/TempHome.h"
#include "support/gui/AddressHandlers.h"
#include "support/gui/DbusMock.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"

namespace {

constexpr const char* kFileManager = "org.freedesktop.FileManager1";

// GLib reads the XDG folders once per process: the address handlers are registered in the
// program's home before GTK starts.
class WorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        registerAddressHandlers();
        GtkTestEnvironment::ensure();
    }

    const std::string home = processHome().path();
    Workspace workspace;
};

}  // namespace

TEST_F(WorkspaceTest, AddressesOfOtherSchemesNeverReachTheirHandler) {
    EXPECT_FALSE(workspace.openUrl("velloq-test:run"));
    EXPECT_FALSE(workspace.openUrl(""));
    for (const char* scheme : {"velloq-no-such-scheme", ""}) EXPECT_FALSE(workspace.hasHandlerForScheme(scheme));
    ASSERT_TRUE(workspace.openUrl("mailto:ann@example.com"));
    EXPECT_TRUE(pumpUntil([] { return openedAddress("mailto") == "mailto:ann@example.com"; }));
    EXPECT_EQ(openedAddress("velloq-test"), "") << "a refused address reached its handler";
}

TEST_F(WorkspaceTest, NameHasOwnerAnswersForOwnedAndUnownedNames) {
    auto peer = PrivateSessionBus::instance().connect();
    const guint owner = g_bus_own_name_on_connection(peer.get(), "app.velloq.Running", G_BUS_NAME_OWNER_FLAGS_NONE,
                                                     nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return workspace.isNameOwned("app.velloq.Running"); }));
    for (const char* unowned : {"app.velloq.NotRunning", "not a bus name", ""})
        EXPECT_FALSE(workspace.isNameOwned(unowned)) << unowned;
    g_bus_unown_name(owner);
    g_dbus_connection_flush_sync(peer.get(), nullptr, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return !workspace.isNameOwned("app.velloq.Running"); }));
}

TEST_F(WorkspaceTest, LaunchProgramStartsAnExecutableDetachedWithItsArgumentsAndRefusesOthers) {
    const std::string program = home + "/Velloq Parlor.app/Contents/MacOS/Velloq Parlor";
    const std::string marker = home + "/started";
    writeFileText(program, "#!/bin/sh\nprintf '%s' \"$1\" > \"$2\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ASSERT_TRUE(workspace.launchProgram(program, {"arg with space", marker}));
    ASSERT_TRUE(pumpUntil([&] { return readFileText(marker) == "arg with space"; }));

    writeFileText(home + "/plain", "text");
    for (const std::string& refused : {home + "/missing", home + "/plain", std::string()})
        EXPECT_FALSE(workspace.launchProgram(refused)) << refused;
}

TEST_F(WorkspaceTest, RevealAsksTheFileManagerWithoutWaitingForItsAnswerAndRefusesMissingFiles) {
    EXPECT_FALSE(workspace.revealFile(home + "/missing.pdf"));
    EXPECT_FALSE(workspace.openFile(home + "/missing.pdf"));
    DbusMock fileManager({kFileManager, "/org/freedesktop/FileManager1", kFileManager}, kFileManager,
                         "/org/freedesktop/FileManager1");
    ASSERT_TRUE(fileManager.addMethod(kFileManager, "ShowItems", "ass", "time.sleep(3)"));
    const std::string file = home + "/Downloads/report 1.pdf";
    writeFileText(file, "pdf");

    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(workspace.revealFile(file));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1000))
        << "reveal waited for the file manager's answer";
    std::vector<GVariantPtr> calls;
    ASSERT_TRUE(pumpUntil([&] { return (calls = fileManager.methodCalls("ShowItems")).size() == 1; }));
    GVariantPtr uris(g_variant_get_child_value(calls[0].get(), 0));
    GCharPtr printed(g_variant_print(uris.get(), FALSE));
    GCharPtr uri(g_filename_to_uri(file.c_str(), nullptr, nullptr));
    EXPECT_EQ(printed.get(), "<['" + std::string(uri.get()) + "']>");
}

