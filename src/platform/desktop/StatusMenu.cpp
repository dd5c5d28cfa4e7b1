#include "platform/desktop/StatusMenu.h"

namespace {

constexpr guint32 kRevision = 1;  // the menu never changes once exported

constexpr const char* kIntrospection = R"xml(
<node>
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout">
      <arg type="i" name="parentId" direction="in"/>
      <arg type="i" name="recursionDepth" direction="in"/>
      <arg type="as" name="propertyNames" direction="in"/>
      <arg type="u" name="revision" direction="out"/>
      <arg type="(ia{sv}av)" name="layout" direction="out"/>
    </method>
    <method name="GetGroupProperties">
      <arg type="ai" name="ids" direction="in"/>
      <arg type="as" name="propertyNames" direction="in"/>
      <arg type="a(ia{sv})" name="properties" direction="out"/>
    </method>
    <method name="GetProperty">
      <arg type="i" name="id" direction="in"/>
      <arg type="s" name="name" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <method name="Event">
      <arg type="i" name="id" direction="in"/>
      <arg type="s" name="eventId" direction="in"/>
      <arg type="v" name="data" direction="in"/>
      <arg type="u" name="timestamp" direction="in"/>
    </method>
    <method name="EventGroup">
      <arg type="a(isvu)" name="events" direction="in"/>
      <arg type="ai" name="idErrors" direction="out"/>
    </method>
    <method name="AboutToShow">
      <arg type="i" name="id" direction="in"/>
      <arg type="b" name="needUpdate" direction="out"/>
    </method>
    <method name="AboutToShowGroup">
      <arg type="ai" name="ids" direction="in"/>
      <arg type="ai" name="updatesNeeded" direction="out"/>
      <arg type="ai" name="idErrors" direction="out"/>
    </method>
    <signal name="ItemsPropertiesUpdated">
      <arg type="a(ia{sv})" name="updatedProps"/>
      <arg type="a(ias)" name="removedProps"/>
    </signal>
    <signal name="LayoutUpdated">
      <arg type="u" name="revision"/>
      <arg type="i" name="parent"/>
    </signal>
    <signal name="ItemActivationRequested">
      <arg type="i" name="id"/>
      <arg type="u" name="timestamp"/>
    </signal>
  </interface>
</node>)xml";

GDBusInterfaceInfo* interfaceInfo() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);  // kept for the process
    return node->interfaces[0];
}

void returnUnknownItem(GDBusMethodInvocation* invocation, int id) {
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "No menu item %d", id);
}

}  // namespace

StatusMenu::StatusMenu(GDBusConnection* connection, std::string objectPath, Labels labels, Callbacks callbacks)
    : m_connection(retainObject(connection)),
      m_objectPath(std::move(objectPath)),
      m_labels(std::move(labels)),
      m_callbacks(std::move(callbacks)) {
    static const GDBusInterfaceVTable vtable = {
        &StatusMenu::handleMethodCall, &StatusMenu::handleGetProperty, nullptr, {}};
    if (!m_connection) return;
    m_registrationId = g_dbus_connection_register_object(m_connection.get(), m_objectPath.c_str(), interfaceInfo(),
                                                         &vtable, this, nullptr, nullptr);
}

StatusMenu::~StatusMenu() {
    if (m_registrationId) g_dbus_connection_unregister_object(m_connection.get(), m_registrationId);
}

GVariant* StatusMenu::itemProperties(int id) const {
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
    if (id == kRootId) {
        g_variant_builder_add(&properties, "{sv}", "children-display", g_variant_new_string("submenu"));
    } else {
        const std::string& label = id == kShowId ? m_labels.show : id == kQuitId ? m_labels.quit : m_labels.downloads;
        g_variant_builder_add(&properties, "{sv}", "label", g_variant_new_string(label.c_str()));
        g_variant_builder_add(&properties, "{sv}", "enabled", g_variant_new_boolean(TRUE));
        g_variant_builder_add(&properties, "{sv}", "visible", g_variant_new_boolean(TRUE));
    }
    return g_variant_builder_end(&properties);
}

GVariant* StatusMenu::itemLayout(int id) const {
    return g_variant_new("(i@a{sv}@av)", id, itemProperties(id),
                         g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0));
}

GVariant* StatusMenu::layout(int parentId, int depth) const {
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    if (parentId == kRootId && depth != 0) {
        g_variant_builder_add(&children, "v", itemLayout(kShowId));
        if (isKnownItem(kDownloadsId)) g_variant_builder_add(&children, "v", itemLayout(kDownloadsId));
        g_variant_builder_add(&children, "v", itemLayout(kQuitId));
    }
    return g_variant_new("(i@a{sv}av)", parentId, itemProperties(parentId), &children);
}

GVariant* StatusMenu::groupProperties(GVariant* ids) const {
    GVariantBuilder result;
    g_variant_builder_init(&result, G_VARIANT_TYPE("a(ia{sv})"));
    GVariantIter iter;
    g_variant_iter_init(&iter, ids);
    gint32 id = 0;
    while (g_variant_iter_next(&iter, "i", &id)) {
        if (isKnownItem(id)) g_variant_builder_add(&result, "(i@a{sv})", id, itemProperties(id));
    }
    return g_variant_builder_end(&result);
}

std::function<void()> StatusMenu::clickCallback(int id, const std::string& eventId) const {
    if (eventId != "clicked" || !isKnownItem(id)) return nullptr;
    return id == kShowId ? m_callbacks.onShow : id == kQuitId ? m_callbacks.onQuit : m_callbacks.onDownloads;
}

void StatusMenu::handleMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* methodName,
                                  GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
    static const std::map<std::string, MethodAnswer> answers = {
        {"GetLayout", &StatusMenu::answerGetLayout},
        {"GetGroupProperties", &StatusMenu::answerGetGroupProperties},
        {"GetProperty", &StatusMenu::answerGetProperty},
        {"Event", &StatusMenu::answerEvent},
        {"EventGroup", &StatusMenu::answerEventGroup},
        {"AboutToShow", &StatusMenu::answerAboutToShow},
        {"AboutToShowGroup", &StatusMenu::answerAboutToShowGroup},
    };
    const auto answer = answers.find(methodName);
    if (answer == answers.end()) {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD, "%s", methodName);
        return;
    }
    (static_cast<StatusMenu*>(data)->*answer->second)(parameters, invocation);
}

void StatusMenu::answerGetLayout(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 parentId = 0, depth = -1;
    g_variant_get(parameters, "(ii@as)", &parentId, &depth, nullptr);
    if (!isKnownItem(parentId)) return returnUnknownItem(invocation, parentId);
    g_dbus_method_invocation_return_value(invocation,
                                          g_variant_new("(u@(ia{sv}av))", kRevision, layout(parentId, depth)));
}

void StatusMenu::answerGetGroupProperties(GVariant* parameters, GDBusMethodInvocation* invocation) {
    GVariantPtr ids(g_variant_get_child_value(parameters, 0));
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(@a(ia{sv}))", groupProperties(ids.get())));
}

void StatusMenu::answerGetProperty(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    const gchar* name = nullptr;
    g_variant_get(parameters, "(i&s)", &id, &name);
    GVariantPtr properties(isKnownItem(id) ? g_variant_ref_sink(itemProperties(id)) : nullptr);
    GVariantPtr value(properties ? g_variant_lookup_value(properties.get(), name, nullptr) : nullptr);
    if (!value) return returnUnknownItem(invocation, id);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value.get()));
}

void StatusMenu::answerEvent(GVariant* parameters, GDBusMethodInvocation* invocation) {
    gint32 id = 0;
    const gchar* eventId = nullptr;
    g_variant_get(parameters, "(i&svu)", &id, &eventId, nullptr, nullptr);
    if (!isKnownItem(id)) return returnUnknownItem(invocation, id);
    const auto click = clickCallback(id, eventId);
    g_dbus_method_invocation_return_value(invocation, nullptr);
    if (click) click();
}

// Trays that batch their events send them here; unknown items come back as errors.
void StatusMenu::answerEventGroup(GVariant* parameters, GDBusMethodInvocation* invocation) {
    std::vector<std::function<void()>> clicks;
    GVariantBuilder unknownIds;
    g_variant_builder_init(&unknownIds, G_VARIANT_TYPE("ai"));
    GVariantPtr events(g_variant_get_child_value(parameters, 0));
    GVariantIter iter;
    g_variant_iter_init(&iter, events.get());
    gint32 id = 0;
    const gchar* eventId = nullptr;
    while (g_variant_iter_next(&iter, "(i&svu)", &id, &eventId, nullptr, nullptr)) {
        if (!isKnownItem(id)) g_variant_builder_add(&unknownIds, "i", id);
        else if (auto click = clickCallback(id, eventId)) clicks.push_back(std::move(click));
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(ai)", &unknownIds));
    for (const auto& click : clicks) click();
}

void StatusMenu::answerAboutToShow(GVariant*, GDBusMethodInvocation* invocation) {
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", FALSE));
}

void StatusMenu::answerAboutToShowGroup(GVariant*, GDBusMethodInvocation* invocation) {
    GVariant* none = g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0);
    GVariant* noErrors = g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(@ai@ai)", none, noErrors));
}

GVariant* StatusMenu::handleGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                        const gchar* propertyName, GError** error, gpointer) {
    const std::string name = propertyName;
    if (name == "Version") return g_variant_new_uint32(3);
    if (name == "TextDirection") return g_variant_new_string("ltr");
    if (name == "Status") return g_variant_new_string("normal");
    if (name == "IconThemePath") return g_variant_new_strv(nullptr, 0);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", propertyName);
    return nullptr;
}
