#include "app/Q7ZMainWindow.h"

#include <glibmm/main.h>
#include <gtkmm/stylecontext.h>

#include "controls/StyleSheets.h"

Q7ZMainWindow::Q7ZMainWindow() {
    set_default_size(kInitialWidth, kInitialHeight);
    set_resizable(true);
    set_deletable(true);
    applyWhiteBackground();
    m_reloadAction = add_action(kReloadActionName, sigc::mem_fun(*this, &Q7ZMainWindow::on_action_reloadWebView));
    m_showDownloadsAction =
        add_action(kShowDownloadsActionName, sigc::mem_fun(*this, &Q7ZMainWindow::on_action_showDownloads));
    using Zoom = Q7ZViewController::Zoom;
    for (const auto& [name, zoom] : {std::pair{kZoomInActionName, Zoom::In}, std::pair{kZoomOutActionName, Zoom::Out},
                                     std::pair{kZoomActualSizeActionName, Zoom::ActualSize}}) {
        m_zoomActions.push_back(add_action(name, [this, zoom = zoom] {
            if (m_contentViewController && m_contentViewController->respondsToZoom())
                m_contentViewController->zoom(zoom);
        }));
    }
    for (const auto& [name, command] : kPageCommandActions) {
        m_pageCommandActions.push_back(add_action(name, [this, command = command] {
            if (m_contentViewController && m_contentViewController->respondsToPageCommands())
                m_contentViewController->runPageCommand(command);
        }));
    }
    updateScreenActions();
}

Q7ZMainWindow::~Q7ZMainWindow() {
    m_retireConnection.disconnect();
    // The views belong to their controllers: take them out of the window before they go.
    remove();
}

void Q7ZMainWindow::applyWhiteBackground() {
    StyleSheets::require("windows");
    get_style_context()->add_class("velloq-main-window");
}

void Q7ZMainWindow::setContentViewController(std::unique_ptr<Q7ZViewController> controller) {
    remove();
    if (m_contentViewController) m_retiringViewControllers.push_back(std::move(m_contentViewController));
    m_contentViewController = std::move(controller);
    if (m_contentViewController) {
        Gtk::Widget& view = m_contentViewController->view();
        // A child of the window is given the window's whole content area and follows its size.
        view.set_hexpand(true);
        view.set_vexpand(true);
        add(view);
        view.show();
    }
    updateScreenActions();
    if (!m_retiringViewControllers.empty() && !m_retireConnection.connected()) {
        m_retireConnection = Glib::signal_idle().connect([this] {
            m_retiringViewControllers.clear();
            return false;
        });
    }
}

void Q7ZMainWindow::updateScreenActions() {
    m_reloadAction->set_enabled(m_contentViewController && m_contentViewController->respondsToReloadWebView());
    m_showDownloadsAction->set_enabled(m_contentViewController && m_contentViewController->respondsToShowDownloads());
    for (const auto& action : m_zoomActions)
        action->set_enabled(m_contentViewController && m_contentViewController->respondsToZoom());
    for (const auto& action : m_pageCommandActions)
        action->set_enabled(m_contentViewController && m_contentViewController->respondsToPageCommands());
}

void Q7ZMainWindow::on_action_showDownloads() {
    if (m_contentViewController && m_contentViewController->respondsToShowDownloads())
        m_contentViewController->showDownloads();
}

void Q7ZMainWindow::on_action_reloadWebView() {
    if (m_contentViewController && m_contentViewController->respondsToReloadWebView())
        m_contentViewController->reloadWebView();
}
