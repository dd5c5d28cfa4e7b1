// The status item on a private session bus: a watcher played by the test (its own connection,
// owning org.kde.StatusNotifierWatcher) receives the registration whether it is on the bus
// before or after the item; the item's properties and its dbusmenu are read back as a tray
// reads them, and Activate and the menu's clicks reach the application's callbacks.

#include <string>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "platform/desktop/StatusItem.h"
#include "support/TempHome.h"
#include "support/gui/BusCall.h"
#include "support/gui/MainLoopPump.h"
#include "support/gui/PrivateSessionBus.h"

namespace {

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kMenuInterface = "com.canonical.dbusmenu";
const gchar* const kAllProperties[] = {nullptr};  // an empty list asks for every property

constexpr const char* kWatcherXml = R"xml(
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  </interface>
</node>)xml";

// Stands in for the desktop's tray host: records every registration.
class TestWatcher {
public:
    TestWatcher() : m_connection(PrivateSessionBus::instance().connect()) {
        m_node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
        static const GDBusInterfaceVTable vtable = {&TestWatcher::onMethodCall, nullptr, nullptr, {}};
        m_objectId = g_dbus_connection_register_object(m_connection.get(), "/StatusNotifierWatcher",
                                                       m_node->interfaces[0], &vtable, this, nullptr, nullptr);
        m_ownerId = g_bus_own_name_on_connection(
            m_connection.get(), StatusItem::kWatcherName, G_BUS_NAME_OWNER_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, gpointer self) { static_cast<TestWatcher*>(self)->m_owned = true; },
            nullptr, this, nullptr);
        EXPECT_TRUE(pumpUntil([this] { return m_owned; }));
    }
    ~TestWatcher() {
        g_bus_unown_name(m_ownerId);
        g_dbus_connection_unregister_object(m_connection.get(), m_objectId);
        g_dbus_node_info_unref(m_node);
        // Let the bus see the name go before the next test starts.
        g_dbus_connection_flush_sync(m_connection.get(), nullptr, nullptr);
    }

    const std::vector<std::string>& registrations() const { return m_registrations; }

private:
    static void onMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                             GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        const gchar* service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        static_cast<TestWatcher*>(self)->m_registrations.emplace_back(service);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    GObjectPtr<GDBusConnection> m_connection;
    GDBusNodeInfo* m_node = nullptr;
    guint m_objectId = 0;
    guint m_ownerId = 0;
    bool m_owned = false;
    std::vector<std::string> m_registrations;
};

std::string writeIcon(const std::string& folder, int size) {
    GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size, size));
    gdk_pixbuf_fill(pixbuf.get(), 0x3468D6FF);
    const std::string path = folder + "/icon.png";
    EXPECT_TRUE(gdk_pixbuf_save(pixbuf.get(), path.c_str(), "png", nullptr, nullptr));
    return path;
}

class StatusItemTest : public ::testing::Test {
protected:
    void SetUp() override { PrivateSessionBus::instance(); }

    std::unique_ptr<StatusItem> makeItem(const std::string& iconPath = "") {
        StatusItem::Options options{"app.velloq.Parlor", "Velloq Parlor", "Parlor tool tip", iconPath,
                                    "app.velloq.Parlor", {"Show window", "Quit now"}};
        return std::make_unique<StatusItem>(options, StatusItem::Callbacks{[this] { ++activations; }, [this] { ++quits; }});
    }

    std::string stringProperty(const StatusItem& item, const char* name) {
        auto value = getPropertyAndPump(tray.get(), item.busName(), StatusItem::kObjectPath, kItemInterface, name);
        return value && g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING) ? g_variant_get_string(value.get(), nullptr)
                                                                                 : "<none>";
    }

    BusCallResult menuCall(const StatusItem& item, const char* method, GVariant* parameters) {
        return callAndPump(tray.get(), item.busName(), StatusItem::kMenuPath, kMenuInterface, method, parameters);
    }

    GObjectPtr<GDBusConnection> tray = PrivateSessionBus::instance().connect();
    int activations = 0;
    int quits = 0;
};

}  // namespace

TEST_F(StatusItemTest, RegistersItsBusNameWithAWatcherAlreadyOnTheBus) {
    TestWatcher watcher;
    auto item = makeItem();

    ASSERT_TRUE(pumpUntil([&] { return item->isRegistered(); }));
    EXPECT_EQ(watcher.registrations(), std::vector<std::string>{item->busName()});
}

TEST_F(StatusItemTest, WithoutAWatcherStaysQuietAndRegistersWhenOneAppears) {
    auto item = makeItem();
    pumpFor(std::chrono::milliseconds(200));
    EXPECT_FALSE(item->isRegistered());

    TestWatcher watcher;
    ASSERT_TRUE(pumpUntil([&] { return item->isRegistered(); }));
    EXPECT_EQ(watcher.registrations(), std::vector<std::string>{item->busName()});
}

TEST_F(StatusItemTest, RegistersAgainWithARestartedWatcher) {
    auto item = makeItem();
    {
        TestWatcher first;
        ASSERT_TRUE(pumpUntil([&] { return item->isRegistered(); }));
    }
    ASSERT_TRUE(pumpUntil([&] { return !item->isRegistered(); }));
    TestWatcher second;
    ASSERT_TRUE(pumpUntil([&] { return second.registrations().size() == 1; }));
}

TEST_F(StatusItemTest, PropertiesDescribeAnActiveApplicationItem) {
    auto item = makeItem();
    EXPECT_EQ(stringProperty(*item, "Category"), "ApplicationStatus");
    EXPECT_EQ(stringProperty(*item, "Id"), "app.velloq.Parlor");
    EXPECT_EQ(stringProperty(*item, "Title"), "Velloq Parlor");
    EXPECT_EQ(stringProperty(*item, "Status"), "Active");
    EXPECT_EQ(stringProperty(*item, "IconName"), "app.velloq.Parlor");  // no icon file given

    auto isMenu = getPropertyAndPump(tray.get(), item->busName(), StatusItem::kObjectPath, kItemInterface, "ItemIsMenu");
    ASSERT_TRUE(isMenu);
    EXPECT_FALSE(g_variant_get_boolean(isMenu.get()));
    auto menu = getPropertyAndPump(tray.get(), item->busName(), StatusItem::kObjectPath, kItemInterface, "Menu");
    ASSERT_TRUE(menu);
    EXPECT_STREQ(g_variant_get_string(menu.get(), nullptr), StatusItem::kMenuPath);

    auto toolTip = getPropertyAndPump(tray.get(), item->busName(), StatusItem::kObjectPath, kItemInterface, "ToolTip");
    ASSERT_TRUE(toolTip);
    const gchar* title = nullptr;
    g_variant_get_child(toolTip.get(), 2, "&s", &title);
    EXPECT_STREQ(title, "Parlor tool tip");
}

TEST_F(StatusItemTest, IconFileIsSentAsAnArgbPixmap) {
    TempHome home;
    auto item = makeItem(writeIcon(home.path(), 24));

    auto pixmaps = getPropertyAndPump(tray.get(), item->busName(), StatusItem::kObjectPath, kItemInterface, "IconPixmap");
    ASSERT_TRUE(pixmaps);
    ASSERT_EQ(g_variant_n_children(pixmaps.get()), 1u);
    gint32 width = 0, height = 0;
    GVariant* bytes = nullptr;
    g_variant_get_child(pixmaps.get(), 0, "(ii@ay)", &width, &height, &bytes);
    GVariantPtr data(bytes);
    EXPECT_EQ(width, 24);
    EXPECT_EQ(height, 24);
    gsize size = 0;
    const auto* argb = static_cast<const guint8*>(g_variant_get_fixed_array(data.get(), &size, 1));
    ASSERT_EQ(size, 24u * 24u * 4u);
    EXPECT_EQ(argb[0], 0xFF);  // alpha first
    EXPECT_EQ(argb[1], 0x34);
    EXPECT_EQ(argb[2], 0x68);
    EXPECT_EQ(argb[3], 0xD6);
    EXPECT_EQ(stringProperty(*item, "IconName"), "");
}

TEST_F(StatusItemTest, UnreadableIconFileFallsBackToTheIconName) {
    TempHome home;
    writeFileText(home.path() + "/broken.png", "not an image");
    auto item = makeItem(home.path() + "/broken.png");
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

TEST_F(StatusItemTest, MenuLayoutOffersShowAndQuit) {
    auto item = makeItem();
    auto reply = menuCall(*item, "GetLayout", g_variant_new("(ii^as)", 0, -1, kAllProperties));
    ASSERT_TRUE(reply) << reply.error->message;

    GVariantPtr layout(g_variant_get_child_value(reply.reply.get(), 1));
    GVariantPtr children(g_variant_get_child_value(layout.get(), 2));
    ASSERT_EQ(g_variant_n_children(children.get()), 2u);
    std::vector<std::pair<int, std::string>> items;
    for (gsize index = 0; index < 2; ++index) {
        GVariantPtr boxed(g_variant_get_child_value(children.get(), index));
        GVariantPtr child(g_variant_get_variant(boxed.get()));
        gint32 id = 0;
        g_variant_get_child(child.get(), 0, "i", &id);
        GVariantPtr properties(g_variant_get_child_value(child.get(), 1));
        const gchar* label = nullptr;
        ASSERT_TRUE(g_variant_lookup(properties.get(), "label", "&s", &label));
        items.emplace_back(id, label);
    }
    EXPECT_EQ(items, (std::vector<std::pair<int, std::string>>{{1, "Show window"}, {2, "Quit now"}}));
}

TEST_F(StatusItemTest, MenuGroupPropertiesAndAboutToShowAnswer) {
    auto item = makeItem();
    const gint32 ids[] = {1, 2, 99};
    auto group = menuCall(*item, "GetGroupProperties",
                          g_variant_new("(@ai^as)", g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, ids, 3, sizeof(gint32)),
                                        kAllProperties));
    ASSERT_TRUE(group) << group.error->message;
    GVariantPtr list(g_variant_get_child_value(group.reply.get(), 0));
    EXPECT_EQ(g_variant_n_children(list.get()), 2u);  // the unknown id is left out

    auto aboutToShow = menuCall(*item, "AboutToShow", g_variant_new("(i)", 0));
    ASSERT_TRUE(aboutToShow);
    gboolean needUpdate = TRUE;
    g_variant_get(aboutToShow.reply.get(), "(b)", &needUpdate);
    EXPECT_FALSE(needUpdate);
}

TEST_F(StatusItemTest, MenuClicksReachShowAndQuit) {
    auto item = makeItem();
    ASSERT_TRUE(menuCall(*item, "Event", g_variant_new("(isvu)", 1, "clicked", g_variant_new_int32(0), 0u)));
    EXPECT_TRUE(pumpUntil([&] { return activations == 1; }));
    ASSERT_TRUE(menuCall(*item, "Event", g_variant_new("(isvu)", 2, "hovered", g_variant_new_int32(0), 0u)));
    ASSERT_TRUE(menuCall(*item, "Event", g_variant_new("(isvu)", 2, "clicked", g_variant_new_int32(0), 0u)));
    EXPECT_TRUE(pumpUntil([&] { return quits == 1; }));
    EXPECT_EQ(activations, 1);
}

TEST_F(StatusItemTest, MenuRejectsUnknownItems) {
    auto item = makeItem();
    auto reply = menuCall(*item, "GetLayout", g_variant_new("(ii^as)", 7, -1, kAllProperties));
    EXPECT_FALSE(reply);
    auto event = menuCall(*item, "Event", g_variant_new("(isvu)", 7, "clicked", g_variant_new_int32(0), 0u));
    EXPECT_FALSE(event);
    EXPECT_EQ(activations + quits, 0);
}
