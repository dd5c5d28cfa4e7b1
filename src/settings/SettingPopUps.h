#pragma once
// How the settings window dresses its pop-ups: items drawn in black and cut short with an
// ellipsis to the pop-up's fixed width while the menu shows them whole, and, for the two path
// pop-ups, an icon before the file's name.

#include <string>

#include <giomm/icon.h>

#include "controls/Q7ZCursorPopUpButton.h"

namespace SettingPopUps {

// Black item texts, ellipsised so the pop-up keeps the width it is given; whole in the open menu.
void drawItemsInBlack(Q7ZCursorPopUpButton& popUp);
// Gives every item an icon place at its start. Call before adding items.
void addItemIcons(Q7ZCursorPopUpButton& popUp);
// Retitles item index and sets its icon (none shows no icon).
void setItem(Q7ZCursorPopUpButton& popUp, int index, const Glib::ustring& title, const Glib::RefPtr<Gio::Icon>& icon);

// The desktop's icon for the file or folder at path: its type's icon, or the icon its name
// suggests when it cannot be read.
Glib::RefPtr<Gio::Icon> workspaceIcon(const std::string& path);

}  // namespace SettingPopUps
