#include "platform/desktop/StatusItem.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include "platform/SessionBus.h"

namespace {

constexpr int kLargestIcon = 64;  // trays draw at 16 to 48 pixels; keeps the property small

constexpr const char* kIntrospection = R"xml(
<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
</node>)xml";

GDBusInterfaceInfo* interfaceInfo() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);  // kept for the process
    return node->interfaces[0];
}

std::string uniqueBusName() {
    static std::atomic<int> counter{0};
    return "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

GObjectPtr<GdkPixbuf> loadScaledIcon(const std::string& path) {
    if (path.empty()) return nullptr;
    int width = 0, height = 0;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) return nullptr;
    // Only ever scaled down: a small icon stays sharp.
    const int largest = std::max({width, height, 1});
    const int scaledWidth = largest > kLargestIcon ? width * kLargestIcon / largest : width;
    const int scaledHeight = largest > kLargestIcon ? height * kLargestIcon / largest : height;
    GObjectPtr<GdkPixbuf> loaded(gdk_pixbuf_new_from_file_at_scale(path.c_str(), std::max(scaledWidth, 1),
                                                                   std::max(scaledHeight, 1), FALSE, nullptr));
    if (!loaded) return nullptr;
    return GObjectPtr<GdkPixbuf>(gdk_pixbuf_add_alpha(loaded.get(), FALSE, 0, 0, 0));
}

}  // namespace

// The image as the protocol wants it: ARGB32 pixels in network byte order.
struct StatusItem::Icon {
    int width = 0;
    int height = 0;
    std::vector<guint8> argb;

    static std::unique_ptr<Icon> fromFile(const std::string& path) {
        auto pixbuf = loadScaledIcon(path);
        if (!pixbuf) return nullptr;
        auto icon = std::make_unique<Icon>();
        icon->width = gdk_pixbuf_get_width(pixbuf.get());
        icon->height = gdk_pixbuf_get_height(pixbuf.get());
        const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
        const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf.get());
        icon->argb.reserve(std::size_t(icon->width) * icon->height * 4);
        for (int y = 0; y < icon->height; ++y) {
            for (int x = 0; x < icon->width; ++x) {
                const guint8* rgba = pixels + y * stride + x * 4;
                icon->argb.insert(icon->argb.end(), {rgba[3], rgba[0], rgba[1], rgba[2]});
            }
        }
        return icon;
    }
};

StatusItem::StatusItem(Options options, Callbacks callbacks, GDBusConnection* connection)
    : m_options(std::move(options)),
      m_callbacks(std::move(callbacks)),
      m_connection(SessionBus::resolve(connection)),
      m_cancellable(g_cancellable_new()),
      m_icon(Icon::fromFile(m_options.iconPath)),
      m_busName(uniqueBusName()) {
    if (!m_connection) return;
    m_menu = std::make_unique<StatusMenu>(
        m_connection.get(), kMenuPath, m_options.menuLabels,
        StatusMenu::Callbacks{[this] { on_item_activate(); }, m_callbacks.onQuit, m_callbacks.onShowDownloads});
    exportItem();
}

StatusItem::~StatusItem() {
    g_cancellable_cancel(m_cancellable.get());
    if (m_watchId) g_bus_unwatch_name(m_watchId);
    if (m_ownerId) g_bus_unown_name(m_ownerId);
    if (m_registrationId) g_dbus_connection_unregister_object(m_connection.get(), m_registrationId);
}

void StatusItem::exportItem() {
    static const GDBusInterfaceVTable vtable = {
        &StatusItem::handleMethodCall, &StatusItem::handleGetProperty, nullptr, {}};
    m_registrationId = g_dbus_connection_register_object(m_connection.get(), kObjectPath, interfaceInfo(), &vtable,
                                                         this, nullptr, nullptr);
    if (!m_registrationId) return;
    // The watcher is only told about the item once the item's name is ours.
    m_ownerId = g_bus_own_name_on_connection(
        m_connection.get(), m_busName.c_str(), G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
        [](GDBusConnection*, const gchar*, gpointer self) {
            static_cast<StatusItem*>(self)->m_watchId = g_bus_watch_name_on_connection(
                static_cast<StatusItem*>(self)->m_connection.get(), kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                [](GDBusConnection*, const gchar*, const gchar*, gpointer item) {
                    static_cast<StatusItem*>(item)->on_watcher_appeared();
                },
                [](GDBusConnection*, const gchar*, gpointer item) {
                    static_cast<StatusItem*>(item)->on_watcher_vanished();
                },
                self, nullptr);
        },
        nullptr, this, nullptr);
}

void StatusItem::on_watcher_appeared() { registerWithWatcher(); }

void StatusItem::on_watcher_vanished() { m_registered = false; }

void StatusItem::registerWithWatcher() {
    g_dbus_connection_call(
        m_connection.get(), kWatcherName, "/StatusNotifierWatcher", kWatcherName, "RegisterStatusNotifierItem",
        g_variant_new("(s)", m_busName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, -1, m_cancellable.get(),
        [](GObject* source, GAsyncResult* result, gpointer self) {
            GError* error = nullptr;
            GVariantPtr reply(g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error));
            GErrorPtr failure(error);
            // Cancelled means the item is gone: self must not be touched.
            if (failure && g_error_matches(failure.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
            static_cast<StatusItem*>(self)->m_registered = reply != nullptr;
        },
        this);
}

void StatusItem::on_item_activate() {
    auto callback = m_callbacks.onActivate;  // copied: it may end this item's life
    if (callback) callback();
}

GVariant* StatusItem::iconPixmap() const {
    GVariantBuilder pixmaps;
    g_variant_builder_init(&pixmaps, G_VARIANT_TYPE("a(iiay)"));
    if (m_icon) {
        GVariant* bytes = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, m_icon->argb.data(), m_icon->argb.size(), 1);
        g_variant_builder_add(&pixmaps, "(ii@ay)", m_icon->width, m_icon->height, bytes);
    }
    return g_variant_builder_end(&pixmaps);
}

GVariant* StatusItem::property(const std::string& name) const {
    if (name == "Category") return g_variant_new_string("ApplicationStatus");
    if (name == "Id") return g_variant_new_string(m_options.id.c_str());
    if (name == "Title") return g_variant_new_string(m_options.title.c_str());
    if (name == "Status") return g_variant_new_string("Active");
    if (name == "WindowId") return g_variant_new_int32(0);
    // A pixmap from the bundle wins over a themed name that the tray may not find.
    if (name == "IconName") return g_variant_new_string(m_icon ? "" : m_options.iconName.c_str());
    if (name == "IconPixmap") return iconPixmap();
    if (name == "AttentionIconName") return g_variant_new_string("");
    if (name == "ToolTip") {
        return g_variant_new("(s@a(iiay)ss)", "", g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0),
                             m_options.toolTip.c_str(), "");
    }
    if (name == "ItemIsMenu") return g_variant_new_boolean(FALSE);
    if (name == "Menu") return g_variant_new_object_path(kMenuPath);
    return nullptr;
}

void StatusItem::handleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* methodName,
                                  GVariant*, GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<StatusItem*>(data);
    // The others (ContextMenu: the tray shows Menu itself; SecondaryActivate; Scroll) do nothing.
    g_dbus_method_invocation_return_value(invocation, nullptr);
    if (g_strcmp0(methodName, "Activate") == 0) self->on_item_activate();
}

GVariant* StatusItem::handleGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                        const gchar* propertyName, GError** error, gpointer data) {
    GVariant* value = static_cast<StatusItem*>(data)->property(propertyName);
    if (!value) g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", propertyName);
    return value;
}
