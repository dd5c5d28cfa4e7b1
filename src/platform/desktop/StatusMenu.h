#pragma once
// The status item's context menu, exported as com.canonical.dbusmenu: a root with the entries
// "show", "downloads" (left out without a label) and "quit", whose labels are given. A click ("clicked" event) on an entry calls its
// callback on the main thread.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/GObjectPtr.h"

class StatusMenu {
public:
    enum ItemId : int { kRootId = 0, kShowId = 1, kQuitId = 2, kDownloadsId = 3 };

    struct Labels {
        std::string show = "Show";
        std::string quit = "Quit";
        std::string downloads{};
    };
    struct Callbacks {
        std::function<void()> onShow;
        std::function<void()> onQuit;
        std::function<void()> onDownloads{};
    };

    StatusMenu(GDBusConnection* connection, std::string objectPath, Labels labels, Callbacks callbacks);
    ~StatusMenu();
    StatusMenu(const StatusMenu&) = delete;
    StatusMenu& operator=(const StatusMenu&) = delete;

    bool isExported() const { return m_registrationId != 0; }
    const std::string& objectPath() const { return m_objectPath; }

private:
    static void handleMethodCall(GDBusConnection*, const gchar* sender, const gchar* objectPath,
                                 const gchar* interfaceName, const gchar* methodName, GVariant* parameters,
                                 GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* handleGetProperty(GDBusConnection*, const gchar* sender, const gchar* objectPath,
                                       const gchar* interfaceName, const gchar* propertyName, GError** error,
                                       gpointer self);

    GVariant* layout(int parentId, int depth) const;
    GVariant* itemLayout(int id) const;
    GVariant* itemProperties(int id) const;
    GVariant* groupProperties(GVariant* ids) const;
    // The callback a "clicked" event on the item runs, or none; a copy, since running it may
    // end this menu's life.
    std::function<void()> clickCallback(int id, const std::string& eventId) const;

    using MethodAnswer = void (StatusMenu::*)(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerGetLayout(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerGetGroupProperties(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerGetProperty(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerEvent(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerEventGroup(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerAboutToShow(GVariant* parameters, GDBusMethodInvocation* invocation);
    void answerAboutToShowGroup(GVariant* parameters, GDBusMethodInvocation* invocation);
    bool isKnownItem(int id) const {
        return id == kRootId || id == kShowId || id == kQuitId || (id == kDownloadsId && !m_labels.downloads.empty());
    }

    GObjectPtr<GDBusConnection> m_connection;
    std::string m_objectPath;
    Labels m_labels;
    Callbacks m_callbacks;
    guint m_registrationId = 0;
};
