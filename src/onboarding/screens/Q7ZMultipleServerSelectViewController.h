#pragma once
// The server selection screen. For now it shows only its own name.

#include <gtkmm/label.h>

#include "controls/Q7ZViewController.h"

class Q7ZMultipleServerSelectViewController : public Q7ZViewController {
public:
    Q7ZMultipleServerSelectViewController();

    Gtk::Widget& view() override { return m_nameLabel; }
    std::string className() const override { return "Q7ZMultipleServerSelectViewController"; }

private:
    Gtk::Label m_nameLabel;
};
