// The status item on a private session bus: a watcher played by the test, coming after the item
// and coming back, receives the registration; the item's icon and its dbusmenu are read back as
// a tray reads them, and the menu's clicks (single or batched) reach the application's callbacks.

#include <memory>
#include <string>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "platform/desktop/StatusItem.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"
#include "support/TempHome.h"
#include "support/gui/BusCall.h"
#include "support/gui/DbusMock.h"

namespace {

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
const gchar* const kAllProperties[] = {nullptr};  // an empty list asks for every property

std::string printed(GVariant* value) { return value ? GCharPtr(g_variant_print(value, FALSE)).get() : "none"; }

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

}  // namespace

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
    ASSERT_TRUE(call(*item, "Event", menuEvent(1, "clicked")));
    ASSERT_TRUE(call(*item, "Event", menuEvent(2, "clicked")));
    ASSERT_TRUE(call(*item, "Event", menuEvent(3, "clicked")));
    EXPECT_TRUE(pumpUntil([&] { return activations == 1 && quits == 1 && downloads == 1; }));

    // Batched events: known items run, unknown ones come back as errors.
    auto batch =
        call(*item, "EventGroup", g_variant_new_parsed("([(1, 'clicked', <0>, @u 0), (9, 'clicked', <0>, @u 0)],)"));
    EXPECT_EQ(printed(batch.reply.get()), "([9],)");
    EXPECT_TRUE(pumpUntil([&] { return activations == 2; }));
}
