#pragma once
// The pages' context menus. On the organisation's pages a link offers "Open Link in Browser"
// (web and mail addresses) and "Copy Link Address" in place of the engine's open and copy items,
// and an image "Copy Image" and "Save Image As…" (saved as a download, into the download
// folder); on other pages links and images offer nothing. The engine's other items (editing,
// spelling suggestions, "Download Linked File") stay. Main thread only.

#include <string>

#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "web/policy/Q7ZOrganisationPages.h"

class Q7ZContextMenu {
public:
    explicit Q7ZContextMenu(const Q7ZOrganisationPages& pages);
    ~Q7ZContextMenu();
    Q7ZContextMenu(const Q7ZContextMenu&) = delete;
    Q7ZContextMenu& operator=(const Q7ZContextMenu&) = delete;

    // The view's context menus are dressed from now on.
    void attach(WebKitWebView* view);

private:
    void dress(WebKitContextMenu* menu, WebKitHitTestResult* hit, bool organisationPage);
    static gboolean on_view_contextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent*,
                                        WebKitHitTestResult* hit, gpointer contextMenu);
    static void on_openInBrowser_activate(GSimpleAction*, GVariant* uri, gpointer);
    static void on_saveImage_activate(GSimpleAction*, GVariant* uri, gpointer contextMenu);

    const Q7ZOrganisationPages& m_pages;
    // Items made from them keep them; their handlers go with this object.
    GObjectPtr<GSimpleAction> m_openInBrowser;
    GObjectPtr<GSimpleAction> m_saveImage;
    GWeakRef m_menuView;  // the view whose menu was shown last, which saves its image
};
