#pragma once
// What the main window shows in place of a page that could not be loaded: what failed, for
// which host, in the interface language, and a "Try again" button. For a certificate the system
// does not trust it lists what an administrator compares (subject, issuer, validity, SHA-256
// fingerprint, the problems found); it never offers to trust the certificate.

#include <memory>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>

#include "web/policy/Q7ZLoadFailure.h"

class Q7ZErrorPage : public Gtk::Box {
public:
    Q7ZErrorPage();

    void showFailure(const Q7ZLoadFailure& failure);
    Glib::SignalProxy<void> signal_try_again() { return m_tryAgain.signal_clicked(); }

private:
    void addCertificateRow(const char* titleKey, const std::string& value);

    Gtk::Label m_title;
    Gtk::Label m_message;
    Gtk::Grid m_certificate;
    // Title and value of each row, in order.
    std::vector<std::unique_ptr<Gtk::Label>> m_certificateLabels;
    Gtk::Label m_retrying;
    Gtk::Button m_tryAgain;
};
