#pragma once
// A one-column list of rows of varying height that makes views only for the rows in sight and
// reuses them as the list scrolls or reloads, so a list of thousands of rows costs no more than
// one screenful of views.
//
// Its data source answers the number of rows, each row's height and a view for a row; the
// table sets that view's position and shows it. A view for a row is best taken from
// makeReusableView(), which prefers the view that showed the same row last. The table owns
// every view it was given.
//
// Tab and Shift+Tab walk the controls of every row, not only of those in sight: the table
// scrolls the next row into view before it moves the focus there.

#include <map>
#include <vector>

#include <gdkmm/rgba.h>
#include <gtkmm/layout.h>

class Q7ZTableView : public Gtk::Layout {
public:
    class DataSource {
    public:
        virtual ~DataSource() = default;
        virtual int numberOfRowsInTableView(Q7ZTableView& tableView) = 0;
        virtual int heightOfRow(Q7ZTableView& tableView, int row) = 0;
        // A view sized to the table's width and the row's height, for the table to place.
        virtual Gtk::Widget* viewForRow(Q7ZTableView& tableView, int row) = 0;
    };

    Q7ZTableView();
    ~Q7ZTableView() override;

    void setDataSource(DataSource* dataSource) { m_dataSource = dataSource; }
    void setBackgroundColor(const Gdk::RGBA& color);

    // Asks the data source again for the number of rows, their heights and the views in sight.
    void reloadData();
    // A view that shows no row now, or none.
    Gtk::Widget* makeReusableView();
    // The views of the rows in sight, by row.
    const std::map<int, Gtk::Widget*>& visibleRowViews() const { return m_visibleRowViews; }
    // Every view the table holds, in sight or waiting for reuse.
    std::vector<Gtk::Widget*> allRowViews() const;

    // The width rows are given: the table's newest allocated width.
    int tableWidth() const { return m_tiledWidth; }
    // Emitted when the table's width changes, after its rows have moved.
    sigc::signal<void()>& signal_width_changed() { return m_signalWidthChanged; }

protected:
    void on_size_allocate(Gtk::Allocation& allocation) override;
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& context) override;
    bool on_focus(Gtk::DirectionType direction) override;

private:
    struct ReusableView {
        int lastRow;
        Gtk::Widget* view;
    };

    void tileRows(int visibleHeight);
    void placeRowView(int row);
    void recycleRowView(int row);
    void hideUnusedViews();
    void on_vadjustment_value_changed();
    int rowAtOffset(double y) const;
    int rowHoldingFocus() const;
    void scrollRowToVisible(int row);

    DataSource* m_dataSource = nullptr;
    Gdk::RGBA m_backgroundColor;
    std::vector<int> m_rowOffsets{0};  // top of each row, then the total height
    std::map<int, Gtk::Widget*> m_visibleRowViews;
    std::map<Gtk::Widget*, int> m_viewOffsets;
    std::vector<ReusableView> m_reusableViews;
    int m_rowBeingPlaced = -1;
    int m_tiledWidth = 0;
    bool m_allocating = false;
    sigc::signal<void()> m_signalWidthChanged;
    sigc::connection m_vadjustmentChangeConnection;
    sigc::connection m_vadjustmentConnection;
};
