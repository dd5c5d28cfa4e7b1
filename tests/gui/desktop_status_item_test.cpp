// The status item on a private session bus: a watcher played by the test receives the
// registration whether it is on the bus before or after the item; the item's properties and
// its dbusmenu are read back as a tray reads them, and Activate and the menu's clicks reach
// the application's callbacks.

#include <memory>
#include <string>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "platform/desktop/StatusItem.h"
#include "support/StatusNotifierWatcherFake.h"
#include "support/TempHome.h"
#include "support/gui/BusCall.h"
#include "support/MainLoopPump.h"
#include "support/PrivateSessionBus.h"

namespace {

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
const gchar* const kAllProperties[] = {nullptr};  // an empty list asks for every property

GVariant* menuEvent(gint32 id, const char* type) {
    return g_variant_new("(isvu)", id, type, g_variant_new_int32(0), 0u);
}

class StatusItemTest : public ::testing::Test {
protected:
    std::unique_ptr<StatusItem> makeItem(const std::string& iconPath = "") {
        StatusItem::Options options{"app.velloq.Parlor", "Velloq Parlor", "Parlor tool tip", iconPath,
                                    "app.velloq.Parlor", {"Show window", "Quit now"}};
        return std::make_unique<StatusItem>(options, StatusItem::Callbacks{[this] { ++activations; }, [this] { ++quits; }});
    }

    GVariantPtr property(const StatusItem& item, const char* name) {
        return getPropertyAndPump(tray.get(), item.busName(), StatusItem::kObjectPath, kItemInterface, name);
    }

    std::string stringProperty(const StatusItem& item, const char* name) {
        auto value = property(item, name);
        const bool text = value && (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING) ||
                                    g_variant_is_of_type(value.get(), G_VARIANT_TYPE_OBJECT_PATH));
        return text ? g_variant_get_string(value.get(), nullptr) : "<none>";
    }

    BusCallResult menuCall(const StatusItem& item, const char* method, GVariant* parameters) {
        return callAndPump(tray.get(), item.busName(), StatusItem::kMenuPath, "com.canonical.dbusmenu", method, parameters);
    }

    GObjectPtr<GDBusConnection> tray = PrivateSessionBus::instance().connect();
    int activations = 0;
    int quits = 0;
};

}  // namespace

TEST_F(StatusItemTest, RegistersWithAWatcherPresentAtStartAndAgainWithARestartedOne) {
    auto watcherBus = PrivateSessionBus::instance().connect();
    auto first = std::make_unique<StatusNotifierWatcherFake>(watcherBus.get());
    ASSERT_TRUE(pumpUntil([&] { return first->ownsName(); }));
    auto item = makeItem();
    ASSERT_TRUE(pumpUntil([&] { return item->isRegistered(); }));
    ASSERT_EQ(first->registrations().size(), 1u);
    EXPECT_EQ(first->registrations()[0].service, item->busName());

    first.reset();
    ASSERT_TRUE(pumpUntil([&] { return !item->isRegistered(); }));

    StatusNotifierWatcherFake second(watcherBus.get());
    ASSERT_TRUE(pumpUntil([&] { return item->isRegistered() && second.registrations().size() == 1; }));
    EXPECT_EQ(second.registrations()[0].service, item->busName());
}

TEST_F(StatusItemTest, IconFileIsSentAsAnArgbPixmapAndAnUnreadableOneFallsBackToTheName) {
    TempHome home;
    GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 24, 24));
    gdk_pixbuf_fill(pixbuf.get(), 0x3468D6FF);
    ASSERT_TRUE(gdk_pixbuf_save(pixbuf.get(), (home.path() + "/icon.png").c_str(), "png", nullptr, nullptr));
    auto item = makeItem(home.path() + "/icon.png");

    auto pixmaps = property(*item, "IconPixmap");
    ASSERT_TRUE(pixmaps);
    ASSERT_EQ(g_variant_n_children(pixmaps.get()), 1u);
    gint32 width = 0, height = 0;
    GVariant* bytes = nullptr;
    g_variant_get_child(pixmaps.get(), 0, "(ii@ay)", &width, &height, &bytes);
    GVariantPtr data(bytes);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(24, 24));
    gsize size = 0;
    const auto* argb = static_cast<const guint8*>(g_variant_get_fixed_array(data.get(), &size, 1));
    ASSERT_EQ(size, 24u * 24u * 4u);
    EXPECT_EQ(std::vector<guint8>(argb, argb + 4), (std::vector<guint8>{0xFF, 0x34, 0x68, 0xD6}));  // alpha first
    EXPECT_EQ(stringProperty(*item, "IconName"), "");

    item.reset();  // one item per process: both would export the same object path
    writeFileText(home.path() + "/broken.png", "not an image");
    item = makeItem(home.path() + "/broken.png");
    EXPECT_EQ(stringProperty(*item, "IconName"), "app.velloq.Parlor");
}

TEST_F(StatusItemTest, ActivateReachesTheClickCallback) {
    auto item = makeItem();
    auto reply = callAndPump(tray.get(), item->busName(), StatusItem::kObjectPath, kItemInterface, "Activate",
                             g_variant_new("(ii)", 10, 20));
    ASSERT_TRUE(reply) << reply.error->message;
    EXPECT_TRUE(pumpUntil([&] { return activations == 1; }));
    EXPECT_EQ(quits, 0);
}

TEST_F(StatusItemTest, MenuLayoutOffersShowAndQuitAndLeavesOutUnknownItems) {
    auto item = makeItem();
    auto reply = menuCall(*item, "GetLayout", g_variant_new("(ii^as)", 0, -1, kAllProperties));
    ASSERT_TRUE(reply) << reply.error->message;
    GVariantPtr layout(g_variant_get_child_value(reply.reply.get(), 1));
    GVariantPtr children(g_variant_get_child_value(layout.get(), 2));
    std::vector<std::pair<int, std::string>> items;
    for (gsize index = 0; index < g_variant_n_children(children.get()); ++index) {
        GVariantPtr boxed(g_variant_get_child_value(children.get(), index));
        GVariantPtr child(g_variant_get_variant(boxed.get()));
        gint32 id = 0;
        GVariant* properties = nullptr;
        g_variant_get(child.get(), "(i@a{sv}@av)", &id, &properties, nullptr);
        GVariantPtr owned(properties);
        const gchar* label = nullptr;
        EXPECT_TRUE(g_variant_lookup(properties, "label", "&s", &label));
        items.emplace_back(id, label ? label : "");
    }
    EXPECT_EQ(items, (std::vector<std::pair<int, std::string>>{{1, "Show window"}, {2, "Quit now"}}));

    const gint32 ids[] = {1, 2, 99};
    auto group = menuCall(*item, "GetGroupProperties",
                          g_variant_new("(@ai^as)", g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, ids, 3, sizeof(gint32)),
                                        kAllProperties));
    ASSERT_TRUE(group) << group.error->message;
    GVariantPtr list(g_variant_get_child_value(group.reply.get(), 0));
    EXPECT_EQ(g_variant_n_children(list.get()), 2u);  // the unknown id is left out
    EXPECT_FALSE(menuCall(*item, "GetLayout", g_variant_new("(ii^as)", 7, -1, kAllProperties)));
}

TEST_F(StatusItemTest, MenuClicksSingleOrBatchedReachShowAndQuitAndOtherEventsDoNothing) {
    auto item = makeItem();
    EXPECT_FALSE(menuCall(*item, "Event", menuEvent(7, "clicked")));
    ASSERT_TRUE(menuCall(*item, "Event", menuEvent(2, "hovered")));
    pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(activations + quits, 0);

    ASSERT_TRUE(menuCall(*item, "Event", menuEvent(1, "clicked")));
    EXPECT_TRUE(pumpUntil([&] { return activations == 1; }));
    ASSERT_TRUE(menuCall(*item, "Event", menuEvent(2, "clicked")));
    EXPECT_TRUE(pumpUntil([&] { return quits == 1; }));
    EXPECT_EQ(activations, 1);

    // Batched events: known items run, unknown ones come back as errors.
    GVariantBuilder events;
    g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
    g_variant_builder_add_value(&events, menuEvent(1, "clicked"));
    g_variant_builder_add_value(&events, menuEvent(9, "clicked"));
    auto batch = menuCall(*item, "EventGroup", g_variant_new("(a(isvu))", &events));
    ASSERT_TRUE(batch);
    GVariantPtr unknownIds(g_variant_get_child_value(batch.reply.get(), 0));
    ASSERT_EQ(g_variant_n_children(unknownIds.get()), 1u);
    gint32 unknownId = 0;
    g_variant_get_child(unknownIds.get(), 0, "i", &unknownId);
    EXPECT_EQ(unknownId, 9);
    EXPECT_TRUE(pumpUntil([&] { return activations == 2; }));
}
