#pragma once
// The downloads window: every registered download record, newest first, one row each. The
// window never acts on a download: its close request and every row's click go to its delegate
// (the web host), which closes the window and carries the requests out.
//
// Main thread only. updateData() re-reads the registry and makes new row models (names, size
// texts, icons); reloadTableView() shows the records' live state and progress again without
// making models, so it is cheap enough to follow every progress event.

#include <concepts>
#include <cstddef>
#include <memory>
#include <vector>

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>

#include "downloads/window/Q7ZDownloadDataDelegate.h"
#include "downloads/window/Q7ZDownloaderTableCellViewItemData.h"
#include "downloads/window/Q7ZDownloaderWindowDelegate.h"
#include "downloads/window/Q7ZTableView.h"

class Q7ZDownloaderTableCellView;

class Q7ZDownloaderWindow : public Gtk::Window, private Q7ZTableView::DataSource {
public:
    using ItemDataPtr = std::shared_ptr<Q7ZDownloaderTableCellViewItemData>;

    // Titled and iconed like the main window, when there is one.
    explicit Q7ZDownloaderWindow(Gtk::Window* mainWindow);
    ~Q7ZDownloaderWindow() override;

    // Not owned. The delegate answers both the window's and the rows' requests.
    template <class Delegate>
        requires std::derived_from<Delegate, Q7ZDownloaderWindowDelegate> &&
                 std::derived_from<Delegate, Q7ZDownloadDataDelegate>
    void setDownloaderDelegate(Delegate* delegate) {
        setDelegates(delegate, delegate);
    }
    void setDownloaderDelegate(std::nullptr_t) { setDelegates(nullptr, nullptr); }

    void updateData();
    void reloadTableView();
    // Lays out again every row in sight, for the table's current width.
    void refreshTableView();
    // Passes the user's close request to the delegate; the window itself never closes.
    bool windowShouldClose();

    const std::vector<ItemDataPtr>& itemDataArray() const { return m_itemDataArray; }
    Q7ZTableView& tableView() { return m_tableView; }

protected:
    bool on_delete_event(GdkEventAny* event) override;
    bool on_key_press_event(GdkEventKey* event) override;

private:
    void setDelegates(Q7ZDownloaderWindowDelegate* windowDelegate, Q7ZDownloadDataDelegate* dataDelegate);
    void buildViews();
    void windowDidResize();

    int numberOfRowsInTableView(Q7ZTableView& tableView) override;
    int heightOfRow(Q7ZTableView& tableView, int row) override;
    Gtk::Widget* viewForRow(Q7ZTableView& tableView, int row) override;

    Q7ZDownloaderWindowDelegate* m_windowDelegate = nullptr;
    Q7ZDownloadDataDelegate* m_dataDelegate = nullptr;
    Gtk::ScrolledWindow m_scrolledWindow;
    Q7ZTableView m_tableView;
    std::vector<ItemDataPtr> m_itemDataArray;
};
