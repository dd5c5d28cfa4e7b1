#include "downloads/window/Q7ZTableView.h"

#include <algorithm>

#include <gdkmm/general.h>
#include <glibmm/main.h>

Q7ZTableView::Q7ZTableView() {
    set_can_focus(false);
    m_backgroundColor.set_rgba(1.0, 1.0, 1.0, 1.0);
    // The scrolled window around the table gives it its adjustments after construction.
    m_vadjustmentChangeConnection = property_vadjustment().signal_changed().connect([this] {
        m_vadjustmentConnection.disconnect();
        if (auto adjustment = get_vadjustment()) {
            m_vadjustmentConnection = adjustment->signal_value_changed().connect(
                sigc::mem_fun(*this, &Q7ZTableView::on_vadjustment_value_changed));
        }
    });
}

// Disposing the layout drops its adjustments, which would call back into a half-destroyed table.
Q7ZTableView::~Q7ZTableView() {
    m_vadjustmentChangeConnection.disconnect();
    m_vadjustmentConnection.disconnect();
}

void Q7ZTableView::setBackgroundColor(const Gdk::RGBA& color) {
    m_backgroundColor = color;
    queue_draw();
}

void Q7ZTableView::reloadData() {
    if (!m_dataSource) return;
    const int rows = std::max(0, m_dataSource->numberOfRowsInTableView(*this));
    m_rowOffsets.assign(1, 0);
    m_rowOffsets.reserve(rows + 1);
    for (int row = 0; row < rows; ++row)
        m_rowOffsets.push_back(m_rowOffsets.back() + m_dataSource->heightOfRow(*this, row));
    // Every view comes free first: the new heights may move any row in or out of sight.
    while (!m_visibleRowViews.empty()) recycleRowView(m_visibleRowViews.begin()->first);
    guint width = 0, height = 0;
    get_size(width, height);
    if (static_cast<int>(height) != m_rowOffsets.back() || static_cast<int>(width) != m_tiledWidth) {
        set_size(m_tiledWidth, m_rowOffsets.back());
    }
    tileRows(get_allocated_height());
    hideUnusedViews();
}

Gtk::Widget* Q7ZTableView::makeReusableView() {
    if (m_reusableViews.empty()) return nullptr;
    auto chosen = std::find_if(m_reusableViews.begin(), m_reusableViews.end(),
                               [this](const ReusableView& reusable) { return reusable.lastRow == m_rowBeingPlaced; });
    if (chosen == m_reusableViews.end()) chosen = std::prev(m_reusableViews.end());
    Gtk::Widget* view = chosen->view;
    m_reusableViews.erase(chosen);
    return view;
}

std::vector<Gtk::Widget*> Q7ZTableView::allRowViews() const {
    std::vector<Gtk::Widget*> views;
    for (const auto& [row, view] : m_visibleRowViews) views.push_back(view);
    for (const auto& reusable : m_reusableViews) views.push_back(reusable.view);
    return views;
}

// Rows are placed before the layout allocates its children: a child added during the
// allocation would be left unallocated.
void Q7ZTableView::on_size_allocate(Gtk::Allocation& allocation) {
    if (allocation.get_width() != m_tiledWidth) {
        m_tiledWidth = allocation.get_width();
        set_size(m_tiledWidth, m_rowOffsets.back());
        m_signalWidthChanged.emit();
    }
    tileRows(allocation.get_height());
    hideUnusedViews();
    m_allocating = true;
    Gtk::Layout::on_size_allocate(allocation);
    m_allocating = false;
}

bool Q7ZTableView::on_draw(const Cairo::RefPtr<Cairo::Context>& context) {
    Gdk::Cairo::set_source_rgba(context, m_backgroundColor);
    context->paint();
    return Gtk::Layout::on_draw(context);
}

// Views for the rows that intersect the visible part; views of rows gone out of sight are
// freed for reuse.
void Q7ZTableView::tileRows(int visibleHeight) {
    const int rows = static_cast<int>(m_rowOffsets.size()) - 1;
    if (!m_dataSource || rows == 0 || visibleHeight <= 1) return;
    const auto adjustment = get_vadjustment();
    const double top = adjustment ? adjustment->get_value() : 0.0;
    const int first = rowAtOffset(top);
    const int last = rowAtOffset(top + visibleHeight - 1);
    for (auto shown = m_visibleRowViews.begin(); shown != m_visibleRowViews.end();) {
        const int row = (shown++)->first;
        if (row < first || row > last) recycleRowView(row);
    }
    for (int row = first; row <= last; ++row) {
        if (!m_visibleRowViews.contains(row)) placeRowView(row);
    }
}

void Q7ZTableView::placeRowView(int row) {
    m_rowBeingPlaced = row;
    Gtk::Widget* view = m_dataSource->viewForRow(*this, row);
    m_rowBeingPlaced = -1;
    if (!view) return;
    const int offset = m_rowOffsets[row];
    if (view->get_parent() != this) {
        put(*view, 0, offset);
        m_viewOffsets[view] = offset;
    } else if (m_viewOffsets[view] != offset) {
        move(*view, 0, offset);
        m_viewOffsets[view] = offset;
    }
    view->show();
    m_visibleRowViews[row] = view;
}

void Q7ZTableView::recycleRowView(int row) {
    const auto shown = m_visibleRowViews.find(row);
    if (shown == m_visibleRowViews.end()) return;
    m_reusableViews.push_back({row, shown->second});
    m_visibleRowViews.erase(shown);
}

// Views wait for reuse hidden, out of the way of the pointer, the focus and assistive tools.
void Q7ZTableView::hideUnusedViews() {
    for (const auto& reusable : m_reusableViews) reusable.view->hide();
}

void Q7ZTableView::on_vadjustment_value_changed() {
    // The layout moves its scroll position while it allocates (a taller window shows more of
    // the end): the rows follow once that allocation is over.
    if (m_allocating) {
        Glib::signal_idle().connect_once(sigc::mem_fun(*this, &Q7ZTableView::on_vadjustment_value_changed));
        return;
    }
    tileRows(get_allocated_height());
    hideUnusedViews();
}

int Q7ZTableView::rowAtOffset(double y) const {
    const int rows = static_cast<int>(m_rowOffsets.size()) - 1;
    const auto after = std::upper_bound(m_rowOffsets.begin(), m_rowOffsets.end(), static_cast<int>(y));
    return std::clamp(static_cast<int>(after - m_rowOffsets.begin()) - 1, 0, std::max(0, rows - 1));
}

int Q7ZTableView::rowHoldingFocus() const {
    const Gtk::Widget* focused = const_cast<Q7ZTableView*>(this)->get_focus_child();
    for (const auto& [row, view] : m_visibleRowViews) {
        if (view == focused) return row;
    }
    return -1;
}

void Q7ZTableView::scrollRowToVisible(int row) {
    const auto adjustment = get_vadjustment();
    if (!adjustment || adjustment->get_page_size() <= 0) return;
    const double top = m_rowOffsets[row];
    const double bottom = m_rowOffsets[row + 1];
    if (top < adjustment->get_value()) {
        adjustment->set_value(top);
    } else if (bottom > adjustment->get_value() + adjustment->get_page_size()) {
        adjustment->set_value(std::min(top, bottom - adjustment->get_page_size()));
    }
}

bool Q7ZTableView::on_focus(Gtk::DirectionType direction) {
    const int rows = static_cast<int>(m_rowOffsets.size()) - 1;
    if (!m_dataSource || rows == 0) return false;
    const bool forward = direction == Gtk::DIR_TAB_FORWARD || direction == Gtk::DIR_DOWN || direction == Gtk::DIR_RIGHT;
    const int step = forward ? 1 : -1;
    int row = rowHoldingFocus();
    if (row >= 0) {
        if (m_visibleRowViews.at(row)->child_focus(direction)) return true;
        row += step;
    } else {
        row = forward ? 0 : rows - 1;
    }
    for (; row >= 0 && row < rows; row += step) {
        scrollRowToVisible(row);
        const auto shown = m_visibleRowViews.find(row);
        if (shown != m_visibleRowViews.end() && shown->second->child_focus(direction)) return true;
    }
    return false;
}
