#include "onboarding/screens/Q7ZMultipleServerSelectViewController.h"

#include <algorithm>
#include <functional>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <glibmm/markup.h>
#include <gtkmm/cellrenderertext.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "config/SynchronousTask.h"
#include "controls/StyleSheets.h"
#include "onboarding/screens/BundleImages.h"
#include "platform/Bundle.h"
#include "platform/GObjectPtr.h"
#include "platform/Worker.h"
#include "utility/Q7ZACUtility.h"

namespace {

constexpr int kLogoWidth = 280;
constexpr int kLogoHeight = 120;
constexpr int kLogoTop = 50;
constexpr int kRowWidth = Q7ZMultipleServerSelectViewController::kRowWidth;
constexpr int kTitleGap = 8;
constexpr int kTitleHeight = 24;
constexpr int kRowHeight = 40;
constexpr int kRowTop = 60;
constexpr int kLabelPopUpGap = 20;
constexpr int kPopUpHeight = 28;
constexpr int kNextButtonTop = 20;
constexpr int kNextButtonCap = 6;
constexpr int kLinkMargin = 25;

Cairo::RefPtr<Cairo::Surface> nextButtonImage(const std::string& name, int scale) {
    return BundleImages::stretchedSurfaceNamed(name, kRowWidth, kRowHeight, kNextButtonCap, scale);
}

// Decodes the image at its size, or scaled down proportionally to fit the logo's place, so a
// huge image is never held whole.
void fitInLogo(int& width, int& height) {
    if (width <= kLogoWidth && height <= kLogoHeight) return;
    const double scale = std::min(static_cast<double>(kLogoWidth) / width, static_cast<double>(kLogoHeight) / height);
    width = std::max(1, static_cast<int>(width * scale));
    height = std::max(1, static_cast<int>(height * scale));
}

void on_loader_size_prepared(GdkPixbufLoader* loader, int width, int height, gpointer) {
    fitInLogo(width, height);
    gdk_pixbuf_loader_set_size(loader, width, height);
}

}  // namespace

Q7ZMultipleServerSelectViewController::Q7ZMultipleServerSelectViewController(Q7ZScreenHost& host)
    : m_host(host), m_dialogs(host.dialogs()) {
    StyleSheets::require("server-selection");
    m_host.mainWindow().set_resizable(true);
    viewDidLoad();
}

Q7ZMultipleServerSelectViewController::~Q7ZMultipleServerSelectViewController() { closeCoverView(); }

void Q7ZMultipleServerSelectViewController::viewDidLoad() {
    m_rootView.set_name("Q7ZMultipleServerSelectView");
    m_contentView.set_halign(Gtk::ALIGN_CENTER);
    m_contentView.set_valign(Gtk::ALIGN_START);
    m_rootView.add(m_contentView);

    m_imageScale = BundleImages::imageScale(m_host.mainWindow().get_scale_factor());
    m_logoImageView.set(BundleImages::surfaceNamed("logo_velloq", m_imageScale));
    m_logoImageView.set_size_request(kLogoWidth, kLogoHeight);
    m_logoImageView.set_margin_top(kLogoTop);
    m_contentView.pack_start(m_logoImageView, Gtk::PACK_SHRINK);
    startReadLogoImage();

    buildTitleLabel();
    buildServerRow();
    buildNextButton();
    buildEnterpriseCodeButton();
    m_rootView.show_all();
}

// In the gap above the server row, which keeps its place.
void Q7ZMultipleServerSelectViewController::buildTitleLabel() {
    const std::string title = Q7ZRemoteConfigSingleton::getInstance().remoteTitle();
    m_titleLabel.set_text(title);
    m_titleLabel.get_style_context()->add_class("organisation-title");
    m_titleLabel.set_ellipsize(Pango::ELLIPSIZE_END);
    m_titleLabel.set_size_request(kRowWidth, kTitleHeight);
    m_titleLabel.set_margin_top(kTitleGap);
    m_titleLabel.set_no_show_all(title.empty());
    m_contentView.pack_start(m_titleLabel, Gtk::PACK_SHRINK);
}

void Q7ZMultipleServerSelectViewController::buildServerRow() {
    m_serverLabel.set_text(localizedString("m283"));
    m_serverLabel.get_style_context()->add_class("server-label");
    m_serverLabel.set_xalign(0);
    m_serverRow.pack_start(m_serverLabel, Gtk::PACK_SHRINK);

    // A long name is cut short in the row, whole in the open menu.
    for (auto* cell : m_serverSitePopUpBtn.get_cells()) {
        if (auto* text = dynamic_cast<Gtk::CellRendererText*>(cell)) {
            text->property_foreground() = "black";
            text->property_ellipsize() = Pango::ELLIPSIZE_END;
        }
    }
    m_serverSitePopUpBtn.set_popup_fixed_width(false);
    m_serverSitePopUpBtn.set_size_request(-1, kPopUpHeight);
    m_serverSitePopUpBtn.set_valign(Gtk::ALIGN_CENTER);
    m_serverSitePopUpBtn.get_accessible()->set_name(localizedString("m283"));
    m_serverSitePopUpBtn.setEnableCursor(true);
    fillServerPopUp();
    m_serverSitePopUpBtn.signal_changed().connect(
        sigc::mem_fun(*this, &Q7ZMultipleServerSelectViewController::serverSitePopUpBtnClick));
    m_serverSitePopUpBtn.set_margin_start(kLabelPopUpGap);
    m_serverRow.pack_start(m_serverSitePopUpBtn, Gtk::PACK_EXPAND_WIDGET);

    m_serverRow.set_size_request(kRowWidth, kRowHeight);
    m_serverRow.set_halign(Gtk::ALIGN_CENTER);
    const bool titled = !m_titleLabel.get_text().empty();
    m_serverRow.set_margin_top(titled ? kRowTop - kTitleGap - kTitleHeight : kRowTop);
    m_contentView.pack_start(m_serverRow, Gtk::PACK_SHRINK);
}

// One item per entry, in list order; the first entry is the pick until the user picks another.
void Q7ZMultipleServerSelectViewController::fillServerPopUp() {
    const auto servers = Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataList();
    for (const auto& server : servers) m_serverSitePopUpBtn.append(server.serverName);
    if (!servers.empty()) {
        m_serverSequence = servers.front().sequence;
        m_serverSitePopUpBtn.set_active(0);
    }
    if (servers.size() < 2) {
        m_serverSitePopUpBtn.set_sensitive(false);
        m_serverSitePopUpBtn.setEnableCursor(false);
    }
}

void Q7ZMultipleServerSelectViewController::buildNextButton() {
    m_nextButtonNormalImage = nextButtonImage("replybutton_press", m_imageScale);
    m_nextButtonPressedImage = nextButtonImage("replybutton2_press", m_imageScale);
    m_nextButtonImage.set(m_nextButtonNormalImage);
    m_nextButtonTitle.set_text(localizedString("m3"));
    m_nextButtonFace.add(m_nextButtonImage);
    m_nextButtonFace.add_overlay(m_nextButtonTitle);
    m_nextButton.add(m_nextButtonFace);
    m_nextButton.get_style_context()->add_class("next-button");
    m_nextButton.set_relief(Gtk::RELIEF_NONE);
    m_nextButton.set_size_request(kRowWidth, kRowHeight);
    m_nextButton.set_halign(Gtk::ALIGN_CENTER);
    m_nextButton.set_margin_top(kNextButtonTop);
    m_nextButton.get_accessible()->set_name(localizedString("m3"));
    m_nextButton.setEnableCursor(true);
    m_nextButton.signal_pressed().connect(
        sigc::mem_fun(*this, &Q7ZMultipleServerSelectViewController::on_nextButton_pressed));
    m_nextButton.signal_released().connect(
        sigc::mem_fun(*this, &Q7ZMultipleServerSelectViewController::on_nextButton_released));
    m_nextButton.signal_clicked().connect(
        sigc::mem_fun(*this, &Q7ZMultipleServerSelectViewController::nextButtonClick));
    m_contentView.pack_start(m_nextButton, Gtk::PACK_SHRINK);
    // Next has the focus first, and Return that no control below takes presses it.
    m_rootView.signal_map().connect([this] { m_nextButton.grab_focus(); });
    m_rootView.signal_key_press_event().connect(
        sigc::mem_fun(*this, &Q7ZMultipleServerSelectViewController::on_rootView_key_press_event));
}

void Q7ZMultipleServerSelectViewController::buildEnterpriseCodeButton() {
    auto* title = Gtk::make_managed<Gtk::Label>();
    title->set_markup("<u>" + Glib::Markup::escape_text(localizedString("m1083")) + "</u>");
    m_enterpriseCodeButton.add(*title);
    m_enterpriseCodeButton.get_style_context()->add_class("link-button");
    m_enterpriseCodeButton.set_relief(Gtk::RELIEF_NONE);
    m_enterpriseCodeButton.get_accessible()->set_name(localizedString("m1083"));
    m_enterpriseCodeButton.setEnableCursor(true);
    m_enterpriseCodeButton.set_halign(Gtk::ALIGN_END);
    m_enterpriseCodeButton.set_valign(Gtk::ALIGN_END);
    m_enterpriseCodeButton.set_margin_end(kLinkMargin);
    m_enterpriseCodeButton.set_margin_bottom(kLinkMargin);
    m_enterpriseCodeButton.signal_clicked().connect(
        sigc::mem_fun(*this, &Q7ZMultipleServerSelectViewController::enterpriseCodeButtonButtonClick));
    m_rootView.add_overlay(m_enterpriseCodeButton);
}

void Q7ZMultipleServerSelectViewController::serverSitePopUpBtnClick() {
    const auto servers = Q7ZRemoteConfigSingleton::getInstance().getServerUrlDataList();
    const int index = m_serverSitePopUpBtn.get_active_row_number();
    if (index >= 0 && index < static_cast<int>(servers.size())) m_serverSequence = servers[index].sequence;
}

void Q7ZMultipleServerSelectViewController::nextButtonClick() {
    if (isCovered()) return;  // a check is running
    addCoverView();
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    m_sequenceBeforeCheck = settings.serverSequence();
    settings.setServerSequence(m_serverSequence);
    startDetectLoginPageValid();
}

void Q7ZMultipleServerSelectViewController::enterpriseCodeButtonButtonClick() {
    if (isCovered()) return;
    Q7ZAppSettingConfigSingleton::getInstance().resetConfig();
    Q7ZRemoteConfigSingleton::getInstance().resetConfig();
    m_host.showScreen(Q7ZScreenHost::Screen::EnterEnterpriseCode);
}

bool Q7ZMultipleServerSelectViewController::on_rootView_key_press_event(GdkEventKey* event) {
    if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter) return false;
    nextButtonClick();
    return true;
}

void Q7ZMultipleServerSelectViewController::on_nextButton_pressed() {
    if (m_nextButtonPressedImage) m_nextButtonImage.set(m_nextButtonPressedImage);
}

void Q7ZMultipleServerSelectViewController::on_nextButton_released() {
    if (m_nextButtonNormalImage) m_nextButtonImage.set(m_nextButtonNormalImage);
}

void Q7ZMultipleServerSelectViewController::startReadLogoImage() {
    const std::string url = Q7ZRemoteConfigSingleton::getInstance().remoteTitleIcon();
    if (url.empty()) return;
    Worker::start(m_workers, [this, url](const Worker::Link& screen) {
        std::shared_ptr<GdkPixbuf> image = readLogoImageThread(url);
        if (image) screen.report([this, image] { m_logoImageView.set(Glib::wrap(image.get(), true)); });
    });
}

// Plain GdkPixbuf here: a worker thread makes no toolkit wrappers.
GObjectPtr<GdkPixbuf> Q7ZMultipleServerSelectViewController::readLogoImageThread(const std::string& url) {
    UrlResponse response;
    UrlError error;
    const auto body = SynchronousTask::sendSynchronousDataTaskWithURL(url, &response, &error);
    if (!body || response.statusCode != 200 || body->empty()) {
        g_debug("no organisation icon from %s (status %ld)", url.c_str(), response.statusCode);
        return {};
    }
    GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(on_loader_size_prepared), nullptr);
    GError* writeError = nullptr;
    GError* closeError = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader.get(), body->data(), body->size(), &writeError);
    // Closed in every case: a loader finalised open complains.
    const bool closed = gdk_pixbuf_loader_close(loader.get(), written ? &closeError : nullptr);
    GErrorPtr failure(writeError ? writeError : closeError);
    if (!written || !closed) {
        g_debug("the organisation icon from %s is no image: %s", url.c_str(), failure ? failure->message : "");
        return {};
    }
    return retainObject(gdk_pixbuf_loader_get_pixbuf(loader.get()));
}

void Q7ZMultipleServerSelectViewController::startDetectLoginPageValid() {
    const bool started = Worker::start(m_loginPageCheck, [this](const Worker::Link& screen) {
        const bool answered = Q7ZACUtility::detectLoginPageValidThread();
        screen.report([this, answered] { loginPageCheckDidFinish(answered); });
    });
    if (!started) cancelLoginPageCheck();
}

void Q7ZMultipleServerSelectViewController::loginPageCheckDidFinish(bool answered) {
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    if (!answered) settings.setServerSequence(Q7ZAppSettingConfigSingleton::kNoServerSequence);
    if (!settings.saveConfig()) g_warning("Could not save the chosen server");
    if (answered) {
        goLoginPage();
        return;
    }
    closeCoverView();
    showErrorAlertViewWithMessage(localizedFormat("m3840", localizedString("m753")));
}

void Q7ZMultipleServerSelectViewController::cancelLoginPageCheck() {
    m_loginPageCheck.revoke();
    Q7ZAppSettingConfigSingleton::getInstance().setServerSequence(m_sequenceBeforeCheck);
    closeCoverView();
}

void Q7ZMultipleServerSelectViewController::goLoginPage() { m_host.showScreen(Q7ZScreenHost::Screen::WebView); }

void Q7ZMultipleServerSelectViewController::addCoverView() {
    m_coverView.reset();
    m_coverView = std::make_unique<Q7ZBusyCover>(
        m_rootView, [this] { cancelLoginPageCheck(); },
        std::vector<Gtk::Widget*>{&m_contentView, &m_enterpriseCodeButton});
}

void Q7ZMultipleServerSelectViewController::closeCoverView() {
    if (m_coverView) m_coverView->close();
}

void Q7ZMultipleServerSelectViewController::showErrorAlertViewWithMessage(const std::string& message) {
    m_dialogs.showAlert(message, AlertStyle::Warning, {});
}
