#include "web/Q7ZContextMenu.h"

#include <algorithm>
#include <array>

#include "platform/Bundle.h"
#include "platform/desktop/Workspace.h"
#include "web/Q7ZSpellChecking.h"
#include "web/policy/Q7ZNavigationPolicy.h"

namespace {

// The engine's items that open or copy a link or an image; ours stand in for them.
constexpr std::array kReplacedActions = {WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK,
                                         WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW,
                                         WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD,
                                         WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW,
                                         WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_IMAGE_TO_DISK,
                                         WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD,
                                         WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_URL_TO_CLIPBOARD};

// The engine's spelling items, which it offers from its dictionaries even while checking is off.
constexpr std::array kSpellingActions = {
    WEBKIT_CONTEXT_MENU_ACTION_SPELLING_GUESS, WEBKIT_CONTEXT_MENU_ACTION_NO_GUESSES_FOUND,
    WEBKIT_CONTEXT_MENU_ACTION_IGNORE_SPELLING, WEBKIT_CONTEXT_MENU_ACTION_LEARN_SPELLING};

bool isRemoved(WebKitContextMenuAction action, bool organisationPage) {
    if (!organisationPage && action == WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK) return true;
    if (!Q7ZSpellChecking::isEnabled() && std::ranges::find(kSpellingActions, action) != kSpellingActions.end())
        return true;
    return std::ranges::find(kReplacedActions, action) != kReplacedActions.end();
}

// What was removed can leave a separator first, last or beside another.
void tidySeparators(WebKitContextMenu* menu) {
    bool previousIsSeparator = true;
    for (GList* item = webkit_context_menu_get_items(menu); item;) {
        GList* next = item->next;
        auto* entry = WEBKIT_CONTEXT_MENU_ITEM(item->data);
        const bool separator = webkit_context_menu_item_is_separator(entry);
        if (separator && (previousIsSeparator || !next)) webkit_context_menu_remove(menu, entry);
        else previousIsSeparator = separator;
        item = next;
    }
}

void insert(WebKitContextMenu* menu, WebKitContextMenuItem* item, int& position) {
    webkit_context_menu_insert(menu, item, position++);
}

}  // namespace

Q7ZContextMenu::Q7ZContextMenu(const Q7ZOrganisationPages& pages)
    : m_pages(pages),
      m_openInBrowser(g_simple_action_new("open-link-in-browser", G_VARIANT_TYPE_STRING)),
      m_saveImage(g_simple_action_new("save-image", G_VARIANT_TYPE_STRING)) {
    g_weak_ref_init(&m_menuView, nullptr);
    g_signal_connect(m_openInBrowser.get(), "activate", G_CALLBACK(&Q7ZContextMenu::on_openInBrowser_activate), this);
    g_signal_connect(m_saveImage.get(), "activate", G_CALLBACK(&Q7ZContextMenu::on_saveImage_activate), this);
}

Q7ZContextMenu::~Q7ZContextMenu() {
    g_signal_handlers_disconnect_by_data(m_openInBrowser.get(), this);
    g_signal_handlers_disconnect_by_data(m_saveImage.get(), this);
    g_weak_ref_clear(&m_menuView);
}

void Q7ZContextMenu::attach(WebKitWebView* view) {
    g_signal_connect(view, "context-menu", G_CALLBACK(&Q7ZContextMenu::on_view_contextMenu), this);
}

gboolean Q7ZContextMenu::on_view_contextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent*,
                                             WebKitHitTestResult* hit, gpointer contextMenu) {
    auto* self = static_cast<Q7ZContextMenu*>(contextMenu);
    const char* page = webkit_web_view_get_uri(view);
    g_weak_ref_set(&self->m_menuView, view);
    self->dress(menu, hit, self->m_pages.contains(page ? page : ""));
    return FALSE;
}

void Q7ZContextMenu::dress(WebKitContextMenu* menu, WebKitHitTestResult* hit, bool organisationPage) {
    for (GList* item = webkit_context_menu_get_items(menu); item;) {
        GList* next = item->next;
        auto* entry = WEBKIT_CONTEXT_MENU_ITEM(item->data);
        if (isRemoved(webkit_context_menu_item_get_stock_action(entry), organisationPage))
            webkit_context_menu_remove(menu, entry);
        item = next;
    }
    tidySeparators(menu);
    if (!organisationPage) return;
    int position = 0;
    if (webkit_hit_test_result_context_is_link(hit)) {
        const char* link = webkit_hit_test_result_get_link_uri(hit);
        if (link && Q7ZNavigationPolicy::handsToDesktop(link)) {
            insert(menu,
                   webkit_context_menu_item_new_from_gaction(G_ACTION(m_openInBrowser.get()),
                                                             localizedString("OpenLinkInBrowser").c_str(),
                                                             g_variant_new_string(link)),
                   position);
        }
        insert(menu,
               webkit_context_menu_item_new_from_stock_action_with_label(
                   WEBKIT_CONTEXT_MENU_ACTION_COPY_LINK_TO_CLIPBOARD, localizedString("CopyLinkAddress").c_str()),
               position);
    }
    if (webkit_hit_test_result_context_is_image(hit)) {
        insert(menu,
               webkit_context_menu_item_new_from_stock_action_with_label(
                   WEBKIT_CONTEXT_MENU_ACTION_COPY_IMAGE_TO_CLIPBOARD, localizedString("CopyImage").c_str()),
               position);
        insert(menu,
               webkit_context_menu_item_new_from_gaction(
                   G_ACTION(m_saveImage.get()), localizedString("SaveImageAs").c_str(),
                   g_variant_new_string(webkit_hit_test_result_get_image_uri(hit))),
               position);
    }
    if (position > 0 && position < static_cast<int>(webkit_context_menu_get_n_items(menu)))
        webkit_context_menu_insert(menu, webkit_context_menu_item_new_separator(), position);
}

void Q7ZContextMenu::on_openInBrowser_activate(GSimpleAction*, GVariant* uri, gpointer) {
    Workspace().openUrl(g_variant_get_string(uri, nullptr));
}

// Saved by the engine, as a download of the page that shows it, so a blob: or data: image too.
void Q7ZContextMenu::on_saveImage_activate(GSimpleAction*, GVariant* uri, gpointer contextMenu) {
    GObjectPtr<WebKitWebView> view(
        static_cast<WebKitWebView*>(g_weak_ref_get(&static_cast<Q7ZContextMenu*>(contextMenu)->m_menuView)));
    if (view) GObjectPtr<WebKitDownload>(webkit_web_view_download_uri(view.get(), g_variant_get_string(uri, nullptr)));
}
