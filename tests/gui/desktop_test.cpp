// The desktop services on a real display and a private session bus, each as the desktop sees it.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "platform/Bundle.h"
#include "platform/desktop/Attention.h"
#include "platform/desktop/GtkDialogs.h"
#include "platform/desktop/LauncherEntry.h"
#include "platform/desktop/SoundPlayer.h"
#include "platform/desktop/StatusItem.h"
#include "platform/desktop/Workspace.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"
#include "support/TempHome.h"
#include "support/gui/AddressHandlers.h"
#include "support/gui/DbusMock.h"
#include "support/gui/GtkTestEnvironment.h"
#include "support/gui/WidgetEvents.h"

namespace {

// The workspace against a private bus: "reveal" taken by a file manager played by dbusmock,
// which takes its time to answer to show that the caller does not wait; addresses going to a
// handler registered in the program's home for mail and for a scheme of the test's own, which
// the workspace must never hand over; programs that cannot be started refused.

constexpr const char* kFileManager = "org.freedesktop.FileManager1";

std::string printed(GVariant* value) { return value ? GCharPtr(g_variant_print(value, FALSE)).get() : "none"; }

// GLib reads the XDG folders once per process: the address handlers are registered in the
// program's home before anything reads them.
[[maybe_unused]] const bool kAddressHandlersRegistered = (registerAddressHandlers(), true);

class WorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }

    const std::string home = processHome().path();
    Workspace workspace;
};

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
    const GCharPtr uri(g_filename_to_uri(file.c_str(), nullptr, nullptr));
    EXPECT_EQ(printed(GVariantPtr(g_variant_get_child_value(calls[0].get(), 0)).get()),
              "<['" + std::string(uri.get()) + "']>");
}

// The sound player with GStreamer writing into a fakesink: the bundle's notification sound plays
// to its end, plays again from the start after that and stops when told, and bad files give a
// clear state instead of noise.

const std::string kBundleSound = VELLOQ_SOURCE_DIR "/resources/sounds/Notify.wav";

class SoundPlayerTest : public ::testing::Test {
protected:
    bool endsIn(SoundPlayer::State state) {
        return pumpUntil([&] { return player.state() == state; });
    }

    TempHome home;
    SoundPlayer player{"fakesink"};
};

TEST_F(SoundPlayerTest, PlaysTheSoundToItsEndAgainFromTheStartAfterFinishingAndStops) {
    ASSERT_TRUE(player.load(kBundleSound));
    player.play();
    ASSERT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Playing);
    EXPECT_TRUE(endsIn(SoundPlayer::State::Finished));

    player.play();
    player.stop();
    EXPECT_NE(player.state(), SoundPlayer::State::Playing);
}

TEST_F(SoundPlayerTest, MissingFileLoadsNothingAndAFileThatIsNoSoundEndsFailed) {
    EXPECT_FALSE(player.load(home.path() + "/missing.wav"));
    player.play();
    EXPECT_EQ(player.state(), SoundPlayer::State::Empty);

    writeFileText(home.path() + "/Notify.wav", "this is not audio at all");
    ASSERT_TRUE(player.load(home.path() + "/Notify.wav"));
    player.play();
    EXPECT_TRUE(endsIn(SoundPlayer::State::Failed));
}

// GtkDialogs' alerts and text inputs run modally for real: a timeout on the running dialog's
// loop plays the user (finds the dialog among the toplevels and answers it), and the answer
// comes back as a button index.

// Retries every 20 ms until a message dialog is up, then answers it with response and records
// its button labels; gives up after 5 s so that the test fails instead of hanging.
void whenDialogShows(int response, std::vector<std::string>& labels) {
    Glib::signal_timeout().connect(
        [response, &labels, attempts = 0]() mutable {
            for (auto* window : Gtk::Window::list_toplevels()) {
                auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
                if (!dialog || !dialog->get_visible()) continue;
                for (auto* button : dialog->get_action_area()->get_children())
                    labels.push_back(static_cast<Gtk::Button*>(button)->get_label());
                dialog->response(response);
                return false;
            }
            if (++attempts < 250) return true;
            ADD_FAILURE() << "no dialog appeared";
            return false;
        },
        20);
}

// An alert answered by its named button is worked end to end (the onboarding screens' alerts and
// the restart question); here an alert closed without a choice, and the text input's buttons
// (first one rightmost) and its field, which starts at the default text.
TEST(GtkDialogsTest, AnswersAreTheChosenButtonFirstOneRightmostOrMinusOneWhenClosed) {
    GtkTestEnvironment::ensure();
    GtkDialogs dialogs;
    std::vector<std::string> shown;  // left to right
    whenDialogShows(Gtk::RESPONSE_DELETE_EVENT, shown);
    EXPECT_EQ(dialogs.showAlert("Restart now?", AlertStyle::Warning, {}), -1);
    EXPECT_EQ(shown, std::vector<std::string>{localizedString("m9")});  // OK in the interface language
    shown.clear();
    whenDialogShows(1, shown);
    const TextInputAnswer answer = dialogs.runTextInput("Name?", "Ann", {"Confirm", "Cancel"});
    EXPECT_EQ(answer.buttonIndex, 1);
    EXPECT_EQ(answer.text, "Ann");
    EXPECT_EQ(shown, (std::vector<std::string>{"Cancel", "Confirm"}));
}

// The launcher entry's Update signals as a dock hears them (a listener on its own connection to
// the private bus), and the attention request: the urgency hint and the launcher's "urgent"
// mark are set together and both cleared when the window gets the focus.

const std::string kApp = "application://app.velloq.Parlor.desktop ";

// The test stands in for the dock, listening on a connection of its own.
class LauncherEntryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }

    void SetUp() override {
        m_subscription = g_dbus_connection_signal_subscribe(m_dock.get(), nullptr, "com.canonical.Unity.LauncherEntry",
                                                            "Update", nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                            &onUpdate, &updates, nullptr);
        // The match rule must reach the bus before anything is emitted.
        g_dbus_connection_flush_sync(m_dock.get(), nullptr, nullptr);
        pumpFor(std::chrono::milliseconds(50));
    }
    void TearDown() override { g_dbus_connection_signal_unsubscribe(m_dock.get(), m_subscription); }

    // Every Update signal, written as "<app uri> <count> visible|hidden [urgent]", led by
    // "<elsewhere> " for an object path outside the launcher entry's own root.
    static void onUpdate(GDBusConnection*, const gchar*, const gchar* objectPath, const gchar*, const gchar*,
                         GVariant* parameters, gpointer updates) {
        const gchar* uri = nullptr;
        GVariant* properties = nullptr;
        gint64 count = -1;
        gboolean visible = FALSE, urgent = FALSE;
        g_variant_get(parameters, "(&s@a{sv})", &uri, &properties);
        GVariantPtr owned(properties);
        g_variant_lookup(properties, "count", "x", &count);
        g_variant_lookup(properties, "count-visible", "b", &visible);
        g_variant_lookup(properties, "urgent", "b", &urgent);
        const bool underRoot = std::string(objectPath).rfind("/com/canonical/unity/launcherentry/", 0) == 0;
        static_cast<std::vector<std::string>*>(updates)->push_back(
            std::string(underRoot ? "" : "<elsewhere> ") + uri + " " + std::to_string(count) +
            (visible ? " visible" : " hidden") + (urgent ? " urgent" : ""));
    }

    GObjectPtr<GDBusConnection> m_dock = PrivateSessionBus::instance().connect();
    guint m_subscription = 0;
    std::vector<std::string> updates;
    LauncherEntry entry{"app.velloq.Parlor"};
};

TEST_F(LauncherEntryTest, BadgeSignalsCarryTheCountSentAndHideItAtZeroOrBelow) {
    entry.setCount(5);
    entry.setCount(0);
    entry.setCount(-4);  // a negative count hides the badge like zero
    ASSERT_TRUE(pumpUntil([&] { return updates.size() >= 3; }));
    EXPECT_EQ(updates, (std::vector<std::string>{kApp + "5 visible", kApp + "0 hidden", kApp + "0 hidden"}));
}

TEST_F(LauncherEntryTest, AttentionMarksWindowAndLauncherUntilTheWindowIsFocused) {
    Gtk::Window window;
    // Off screen: with no window manager the X server focuses the window under the pointer,
    // and other tests on the shared server move the pointer.
    window.move(-2000, -2000);
    window.show();
    Attention attention(window, &entry);
    attention.request();
    EXPECT_TRUE(window.get_urgency_hint());
    ASSERT_TRUE(pumpUntil([&] { return updates.size() >= 1; }));
    sendFocusChange(window, true);
    EXPECT_FALSE(window.get_urgency_hint());
    ASSERT_TRUE(pumpUntil([&] { return updates.size() >= 2; }));

    // An active window is not marked at all.
    ASSERT_TRUE(window.is_active());
    attention.request();
    EXPECT_FALSE(window.get_urgency_hint());
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(updates, (std::vector<std::string>{kApp + "0 hidden urgent", kApp + "0 hidden"}));
}

// The status item on a private session bus: a watcher played by the test, coming after the item
// and coming back, receives the registration; the item's icon and its dbusmenu are read back as
// a tray reads them, and the menu's clicks (single or batched) reach the application's callbacks.

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
const gchar* const kAllProperties[] = {nullptr};  // an empty list asks for every property

GVariant* menuEvent(gint32 id, const char* type) {
    return g_variant_new("(isvu)", id, type, g_variant_new_int32(0), 0u);
}

class StatusItemTest : public ::testing::Test {
protected:
    std::unique_ptr<StatusItem> makeItem(const std::string& iconPath = "") {
        StatusItem::Options options{"app.velloq.Parlor", "Velloq Parlor",
                                    "Parlor tool tip",   iconPath,
                                    "app.velloq.Parlor", {"Show window", "Quit now", "Downloads"}};
        return std::make_unique<StatusItem>(
            options, StatusItem::Callbacks{[this] { ++activations; }, [this] { ++quits; }, [this] { ++downloads; }});
    }

    // A call on the item's menu, or on the item itself given the interface.
    BusCallResult call(const StatusItem& item, const char* method, GVariant* parameters,
                       const char* interface = nullptr) {
        return callAndPump(tray.get(), item.busName(), interface ? StatusItem::kObjectPath : StatusItem::kMenuPath,
                           interface ? interface : "com.canonical.dbusmenu", method, parameters);
    }

    GVariantPtr property(const StatusItem& item, const char* name) {
        auto result = call(item, "Get", g_variant_new("(ss)", kItemInterface, name), "org.freedesktop.DBus.Properties");
        GVariant* value = nullptr;
        if (result) g_variant_get(result.reply.get(), "(v)", &value);
        return GVariantPtr(value);
    }

    GObjectPtr<GDBusConnection> tray = PrivateSessionBus::instance().connect();
    int activations = 0, quits = 0, downloads = 0;
};

// A watcher present at start is the end-to-end window test's; here one that comes after the
// item, then goes and comes back (a restarted panel).
TEST_F(StatusItemTest, RegistersWithAWatcherThatComesLaterAndAgainWithARestartedOne) {
    auto item = makeItem();
    for (int start = 0; start < 2; ++start) {
        DbusMock watcher({"--template", VELLOQ_SOURCE_DIR "/tests/support/gui/status_notifier_watcher.py"},
                         "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher");
        std::vector<GVariantPtr> calls;
        ASSERT_TRUE(pumpUntil([&] {
            return item->isRegistered() && (calls = watcher.methodCalls("RegisterStatusNotifierItem")).size() == 1;
        })) << start;
        EXPECT_EQ(printed(calls[0].get()), "[<'" + item->busName() + "'>]");
    }
}

TEST_F(StatusItemTest, IconFileIsSentAsAnArgbPixmapInsteadOfTheName) {
    TempHome home;
    GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 2, 1));
    gdk_pixbuf_fill(pixbuf.get(), 0x3468D6FF);
    ASSERT_TRUE(gdk_pixbuf_save(pixbuf.get(), (home.path() + "/icon.png").c_str(), "png", nullptr, nullptr));
    auto item = makeItem(home.path() + "/icon.png");

    EXPECT_EQ(printed(property(*item, "IconPixmap").get()),
              "[(2, 1, [0xff, 0x34, 0x68, 0xd6, 0xff, 0x34, 0x68, 0xd6])]");  // alpha first
    EXPECT_EQ(printed(property(*item, "IconName").get()), "''");
}

// The menu as a tray reads it, and its clicks reaching the application's callbacks (Activate, a
// click on the icon, is the end-to-end window test's); unknown items are left out and their
// clicks refused.
TEST_F(StatusItemTest, MenuOffersShowDownloadsAndQuitAndItsClicksSingleOrBatchedReachThem) {
    auto item = makeItem();
    auto layout = call(*item, "GetLayout", g_variant_new("(ii^as)", 0, -1, kAllProperties));
    ASSERT_TRUE(layout) << layout.error->message;
    EXPECT_EQ(printed(layout.reply.get()),
              "(1, (0, {'children-display': <'submenu'>}, ["
              "<(1, {'label': <'Show window'>, 'enabled': <true>, 'visible': <true>}, @av [])>, "
              "<(3, {'label': <'Downloads'>, 'enabled': <true>, 'visible': <true>}, @av [])>, "
              "<(2, {'label': <'Quit now'>, 'enabled': <true>, 'visible': <true>}, @av [])>]))");
    EXPECT_FALSE(call(*item, "GetLayout", g_variant_new("(ii^as)", 7, -1, kAllProperties)));

    EXPECT_FALSE(call(*item, "Event", menuEvent(7, "clicked")));
    ASSERT_TRUE(call(*item, "Event", menuEvent(2, "hovered")));
    pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(activations + quits, 0);
    for (const gint32 id : {1, 2, 3}) ASSERT_TRUE(call(*item, "Event", menuEvent(id, "clicked"))) << id;
    EXPECT_TRUE(pumpUntil([&] { return activations == 1 && quits == 1 && downloads == 1; }));

    // Batched events: known items run, unknown ones come back as errors.
    auto batch =
        call(*item, "EventGroup", g_variant_new_parsed("([(1, 'clicked', <0>, @u 0), (9, 'clicked', <0>, @u 0)],)"));
    EXPECT_EQ(printed(batch.reply.get()), "([9],)");
    EXPECT_TRUE(pumpUntil([&] { return activations == 2; }));
}

}  // namespace
