#include "web/Q7ZErrorPage.h"

#include "controls/StyleSheets.h"
#include "platform/Bundle.h"

namespace {

void wrapCentred(Gtk::Label& label) {
    label.set_line_wrap(true);
    label.set_max_width_chars(60);
    label.set_justify(Gtk::JUSTIFY_CENTER);
}

}  // namespace

Q7ZErrorPage::Q7ZErrorPage() : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 16) {
    StyleSheets::require("error-page");
    set_name("Q7ZErrorPage");
    set_halign(Gtk::ALIGN_CENTER);
    set_valign(Gtk::ALIGN_CENTER);
    m_title.set_text(localizedString("LoadFailedTitle"));
    m_title.get_style_context()->add_class("error-title");
    wrapCentred(m_message);
    m_message.set_selectable(true);
    m_certificate.set_row_spacing(4);
    m_certificate.set_column_spacing(12);
    m_retrying.set_text(localizedString("LoadFailedRetrying"));
    m_retrying.get_style_context()->add_class("error-hint");
    wrapCentred(m_retrying);
    m_tryAgain.set_label(localizedString("TryAgain"));
    m_tryAgain.set_halign(Gtk::ALIGN_CENTER);
    for (Gtk::Widget* child :
         std::initializer_list<Gtk::Widget*>{&m_title, &m_message, &m_certificate, &m_retrying, &m_tryAgain})
        pack_start(*child, Gtk::PACK_SHRINK);
    show_all_children();
}

void Q7ZErrorPage::showFailure(const Q7ZLoadFailure& failure) {
    m_message.set_text(localizedFormat(failure.messageKey(), failure.host));
    for (auto& label : m_certificateLabels) m_certificate.remove(*label);
    m_certificateLabels.clear();
    if (const auto& certificate = failure.certificate) {
        addCertificateRow("CertificateSubject", certificate->subject);
        addCertificateRow("CertificateIssuer", certificate->issuer);
        addCertificateRow("CertificateValidFrom", certificate->validFrom);
        addCertificateRow("CertificateValidUntil", certificate->validUntil);
        addCertificateRow("CertificateFingerprint", certificate->sha256Fingerprint);
        for (const auto& problem : certificate->problemKeys)
            addCertificateRow("CertificateProblem", localizedString(problem));
    }
    m_certificate.set_visible(!m_certificateLabels.empty());
    m_retrying.set_visible(failure.isRetriedAutomatically());
    m_tryAgain.grab_focus();
}

void Q7ZErrorPage::addCertificateRow(const char* titleKey, const std::string& value) {
    const int row = static_cast<int>(m_certificateLabels.size() / 2);
    auto& title = *m_certificateLabels.emplace_back(std::make_unique<Gtk::Label>(localizedString(titleKey)));
    auto& text = *m_certificateLabels.emplace_back(std::make_unique<Gtk::Label>(value));
    title.set_xalign(1.0f);
    title.get_style_context()->add_class("certificate-title");
    text.set_xalign(0.0f);
    text.set_selectable(true);
    text.set_line_wrap(true);
    text.set_max_width_chars(64);
    m_certificate.attach(title, 0, row);
    m_certificate.attach(text, 1, row);
    title.show();
    text.show();
}
