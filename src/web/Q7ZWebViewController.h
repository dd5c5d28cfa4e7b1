#pragma once
// The web host. For now it shows only its own name.

#include <gtkmm/label.h>

#include "controls/Q7ZViewController.h"

class Q7ZWebViewController : public Q7ZViewController {
public:
    Q7ZWebViewController();

    Gtk::Widget& view() override { return m_nameLabel; }
    std::string className() const override { return "Q7ZWebViewController"; }

private:
    Gtk::Label m_nameLabel;
};
