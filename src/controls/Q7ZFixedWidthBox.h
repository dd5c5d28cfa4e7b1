#pragma once
// A box that asks for exactly its width, however wide its children would like to be: a long
// text inside (an ellipsised pop-up item) is cut short instead of widening the screen.

#include <gtkmm/box.h>

class Q7ZFixedWidthBox : public Gtk::Box {
public:
    Q7ZFixedWidthBox(Gtk::Orientation orientation, int width) : Gtk::Box(orientation), m_width(width) {}

protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override { minimum = natural = m_width; }

private:
    int m_width;
};
