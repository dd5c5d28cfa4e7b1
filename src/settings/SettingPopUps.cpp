#include "settings/SettingPopUps.h"

#include <giomm/contenttype.h>
#include <giomm/file.h>
#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/liststore.h>

namespace SettingPopUps {

namespace {

// GtkComboBoxText keeps its texts in column 0 and ids in column 1; the icon goes after them,
// so the pop-up's own append and insert keep working on the wider model.
struct IconItemColumns : Gtk::TreeModelColumnRecord {
    Gtk::TreeModelColumn<Glib::ustring> title;
    Gtk::TreeModelColumn<Glib::ustring> id;
    Gtk::TreeModelColumn<Glib::RefPtr<Gio::Icon>> icon;
    IconItemColumns() { add(title), add(id), add(icon); }
};

const IconItemColumns& iconItemColumns() {
    static const IconItemColumns columns;
    return columns;
}

}  // namespace

void drawItemsInBlack(Q7ZCursorPopUpButton& popUp) {
    for (auto* cell : popUp.get_cells()) {
        if (auto* text = dynamic_cast<Gtk::CellRendererText*>(cell)) {
            text->property_foreground() = "black";
            text->property_ellipsize() = Pango::ELLIPSIZE_END;
        }
    }
    // The closed pop-up cuts a long title short; its open menu is as wide as the titles need.
    popUp.set_popup_fixed_width(false);
}

void addItemIcons(Q7ZCursorPopUpButton& popUp) {
    popUp.set_model(Gtk::ListStore::create(iconItemColumns()));
    auto* renderer = Gtk::make_managed<Gtk::CellRendererPixbuf>();
    renderer->property_stock_size() = Gtk::ICON_SIZE_MENU;  // 16 × 16
    popUp.pack_start(*renderer, false);
    popUp.add_attribute(*renderer, "gicon", iconItemColumns().icon);
    popUp.reorder(*renderer, 0);
}

void setItem(Q7ZCursorPopUpButton& popUp, int index, const Glib::ustring& title, const Glib::RefPtr<Gio::Icon>& icon) {
    auto store = Glib::RefPtr<Gtk::ListStore>::cast_dynamic(popUp.get_model());
    if (!store || index < 0 || index >= static_cast<int>(store->children().size())) return;
    Gtk::TreeRow row = store->children()[index];
    row[iconItemColumns().title] = title;
    if (store->get_n_columns() > iconItemColumns().icon.index()) row[iconItemColumns().icon] = icon;
}

Glib::RefPtr<Gio::Icon> workspaceIcon(const std::string& path) {
    if (path.empty()) return {};
    try {
        auto info = Gio::File::create_for_path(path)->query_info(G_FILE_ATTRIBUTE_STANDARD_ICON);
        if (auto icon = info->get_icon()) return icon;
    } catch (const Glib::Error&) {
        // Gone or unreadable: its name still tells what kind of file it was.
    }
    bool uncertain = false;
    return Gio::content_type_get_icon(Gio::content_type_guess(path, nullptr, 0, uncertain));
}

}  // namespace SettingPopUps
