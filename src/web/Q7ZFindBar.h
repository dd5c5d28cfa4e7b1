#pragma once
// Edit ▸ Find…: a bar above the main view that finds the typed text in its page as the user
// types, case-insensitive and wrapping around. Enter and Ctrl+G go to the next match,
// Shift+Enter and Shift+Ctrl+G to the previous, "N of M" counts them, Escape closes the bar and
// gives the page the focus back. Main thread only.

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/searchentry.h>
#include <webkit2/webkit2.h>

class Q7ZFindBar : public Gtk::Box {
public:
    // The view outlives the bar.
    explicit Q7ZFindBar(WebKitWebView* view);
    ~Q7ZFindBar() override;

    // Shows the bar with its text selected, finding it again in the page as it is now.
    void open();
    void close();

private:
    static void dressButton(Gtk::Button& button, const char* iconName, const char* nameKey);
    void search();
    void step(bool forward);
    void showCount();
    bool on_entry_key_press(GdkEventKey* event);
    static void on_findController_countedMatches(WebKitFindController*, guint count, gpointer bar);
    static void on_findController_failedToFindText(WebKitFindController*, gpointer bar);

    WebKitWebView* m_view;
    WebKitFindController* m_finder;  // the view's
    Gtk::SearchEntry m_entry;
    Gtk::Label m_count;
    Gtk::Button m_previous, m_next, m_close;
    guint m_matches = 0;
    guint m_current = 0;  // 1-based; 0 while nothing is found
};
