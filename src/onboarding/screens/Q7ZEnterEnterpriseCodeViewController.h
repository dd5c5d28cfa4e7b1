#pragma once
// The enterprise code entry screen. For now it shows only its own name.

#include <gtkmm/label.h>

#include "controls/Q7ZViewController.h"

class Q7ZEnterEnterpriseCodeViewController : public Q7ZViewController {
public:
    Q7ZEnterEnterpriseCodeViewController();

    Gtk::Widget& view() override { return m_nameLabel; }
    std::string className() const override { return "Q7ZEnterEnterpriseCodeViewController"; }

private:
    Gtk::Label m_nameLabel;
};
