// The workspace against a private bus: "reveal" taken by a file manager played by dbusmock,
// which takes its time to answer to show that the caller does not wait; addresses going to a
// handler registered in the program's home for mail and for a scheme of the test's own, which
// the workspace must never hand over; programs that cannot be started refused.

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "platform/desktop/Workspace.h"
#include "support/MainLoopPump.h"
#include "support/TempHome.h"
#include "support/gui/AddressHandlers.h"
#include "support/gui/DbusMock.h"
#include "support/gui/GtkTestEnvironment.h"

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

// Starting the login-item helper detached is proved end to end by the restart through the
// settings window; here only what must never be opened or started.
TEST_F(WorkspaceTest, RefusesAddressesOfOtherSchemesAndProgramsThatAreNoExecutable) {
    EXPECT_FALSE(workspace.openUrl("velloq-test:run"));
    EXPECT_FALSE(workspace.openUrl(""));
    for (const char* scheme : {"velloq-no-such-scheme", ""}) EXPECT_FALSE(workspace.hasHandlerForScheme(scheme));
    writeFileText(home + "/plain", "text");
    for (const std::string& refused : {home + "/missing", home + "/plain", std::string()})
        EXPECT_FALSE(workspace.launchProgram(refused)) << refused;
    ASSERT_TRUE(workspace.openUrl("mailto:ann@example.com"));
    EXPECT_TRUE(pumpUntil([] { return openedAddress("mailto") == "mailto:ann@example.com"; }));
    EXPECT_EQ(openedAddress("velloq-test"), "") << "a refused address reached its handler";
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
