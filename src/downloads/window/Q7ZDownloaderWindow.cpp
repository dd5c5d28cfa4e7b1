#include "downloads/window/Q7ZDownloaderWindow.h"

#include <gdk/gdkkeysyms.h>

#include "controls/GdkColors.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/window/Q7ZDownloaderTableCellView.h"
#include "platform/Bundle.h"

namespace {

constexpr int kContentWidth = 500;
constexpr int kContentHeight = 500;
constexpr int kMinimumHeight = 350;
constexpr int kHeightBeyondTheRows = 100;

}  // namespace

Q7ZDownloaderWindow::Q7ZDownloaderWindow(Gtk::Window* mainWindow) {
    // The main window's title and icon, or the product's name while there is none.
    set_title(mainWindow ? mainWindow->get_title() : Glib::ustring(localizedString("m753")));
    if (mainWindow) set_icon(mainWindow->get_icon());
    set_default_size(kContentWidth, kContentHeight);
    set_size_request(kContentWidth, kMinimumHeight);
    set_resizable(true);
    set_position(Gtk::WIN_POS_CENTER);
    buildViews();
}

Q7ZDownloaderWindow::~Q7ZDownloaderWindow() { setDelegates(nullptr, nullptr); }

void Q7ZDownloaderWindow::buildViews() {
    m_scrolledWindow.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    m_scrolledWindow.set_can_focus(false);
    m_tableView.setBackgroundColor(GdkColors::gdkColorWithRGBHexString("ECEFF1"));
    m_tableView.setDataSource(this);
    m_tableView.signal_width_changed().connect(sigc::mem_fun(*this, &Q7ZDownloaderWindow::windowDidResize));
    m_scrolledWindow.add(m_tableView);
    add(m_scrolledWindow);
    m_scrolledWindow.show_all();
    updateData();
    reloadTableView();
}

void Q7ZDownloaderWindow::setDelegates(Q7ZDownloaderWindowDelegate* windowDelegate,
                                       Q7ZDownloadDataDelegate* dataDelegate) {
    m_windowDelegate = windowDelegate;
    m_dataDelegate = dataDelegate;
    // Rows made before the delegate was set answer to it too.
    for (Gtk::Widget* view : m_tableView.allRowViews()) {
        if (auto* cellView = dynamic_cast<Q7ZDownloaderTableCellView*>(view)) cellView->setDelegate(dataDelegate);
    }
}

void Q7ZDownloaderWindow::updateData() {
    const auto records = Q7ZDownloadDataSingleton::getInstance().getAllDownloadDataArray();
    std::vector<ItemDataPtr> itemDataArray;
    itemDataArray.reserve(records.size());
    for (const auto& record : records) {
        auto itemData = std::make_shared<Q7ZDownloaderTableCellViewItemData>();
        itemData->setDownloadData(record);
        itemDataArray.push_back(std::move(itemData));
    }
    m_itemDataArray = std::move(itemDataArray);
}

void Q7ZDownloaderWindow::reloadTableView() { m_tableView.reloadData(); }

void Q7ZDownloaderWindow::refreshTableView() {
    const int width = m_tableView.tableWidth();
    for (const auto& [row, view] : m_tableView.visibleRowViews()) {
        if (auto* cellView = dynamic_cast<Q7ZDownloaderTableCellView*>(view)) {
            cellView->setFrameSize(width, heightOfRow(m_tableView, row));
            cellView->layoutSubviews();
        }
    }
}

void Q7ZDownloaderWindow::windowDidResize() { refreshTableView(); }

bool Q7ZDownloaderWindow::windowShouldClose() {
    if (m_windowDelegate) m_windowDelegate->downloaderWindowWillClose(*this);
    return false;
}

bool Q7ZDownloaderWindow::on_delete_event(GdkEventAny*) {
    windowShouldClose();
    return true;  // closing is the delegate's job
}

bool Q7ZDownloaderWindow::on_key_press_event(GdkEventKey* event) {
    if (event->keyval == GDK_KEY_Escape) {
        windowShouldClose();
        return true;
    }
    return Gtk::Window::on_key_press_event(event);
}

int Q7ZDownloaderWindow::numberOfRowsInTableView(Q7ZTableView&) { return static_cast<int>(m_itemDataArray.size()); }

int Q7ZDownloaderWindow::heightOfRow(Q7ZTableView&, int row) {
    if (row < 0 || row >= static_cast<int>(m_itemDataArray.size())) return kHeightBeyondTheRows;
    return m_itemDataArray[row]->getRowHeight();
}

Gtk::Widget* Q7ZDownloaderWindow::viewForRow(Q7ZTableView& tableView, int row) {
    auto* cellView = dynamic_cast<Q7ZDownloaderTableCellView*>(tableView.makeReusableView());
    if (!cellView) {
        cellView = Gtk::make_managed<Q7ZDownloaderTableCellView>();
        cellView->setDelegate(m_dataDelegate);
    }
    cellView->setFrameSize(tableView.tableWidth(), heightOfRow(tableView, row));
    cellView->setItemData(m_itemDataArray[row]);
    return cellView;
}
