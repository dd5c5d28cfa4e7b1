#pragma once
// The application's one main window. It shows one screen (its content view controller) at a
// time and owns the window actions "reloadWebView" and "showDownloads" of the "Reload" and
// "Downloads" menu items, each enabled only while the shown screen answers it.

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include <giomm/simpleaction.h>
#include <gtkmm/applicationwindow.h>

#include "controls/Q7ZViewController.h"

class Q7ZMainWindow : public Gtk::ApplicationWindow {
public:
    static constexpr const char* kReloadActionName = "reloadWebView";
    static constexpr const char* kShowDownloadsActionName = "showDownloads";
    static constexpr const char* kZoomInActionName = "zoomIn";
    static constexpr const char* kZoomOutActionName = "zoomOut";
    static constexpr const char* kZoomActualSizeActionName = "zoomActualSize";
    // The actions of the page's commands (the Edit menu and File ▸ Print…).
    static constexpr std::array<std::pair<const char*, Q7ZViewController::PageCommand>, 8> kPageCommandActions = {{
        {"undo", Q7ZViewController::PageCommand::Undo},
        {"redo", Q7ZViewController::PageCommand::Redo},
        {"cut", Q7ZViewController::PageCommand::Cut},
        {"copy", Q7ZViewController::PageCommand::Copy},
        {"paste", Q7ZViewController::PageCommand::Paste},
        {"selectAll", Q7ZViewController::PageCommand::SelectAll},
        {"find", Q7ZViewController::PageCommand::Find},
        {"print", Q7ZViewController::PageCommand::Print},
    }};
    static constexpr int kInitialWidth = 1024;
    static constexpr int kInitialHeight = 720;

    Q7ZMainWindow();
    ~Q7ZMainWindow() override;

    // Shows the controller's view as the window's content, in place of the previous screen.
    void setContentViewController(std::unique_ptr<Q7ZViewController> controller);
    Q7ZViewController* contentViewController() const { return m_contentViewController.get(); }

private:
    void applyWhiteBackground();
    void updateScreenActions();
    void on_action_reloadWebView();
    void on_action_showDownloads();

    std::unique_ptr<Q7ZViewController> m_contentViewController;
    // Replaced screens live until the main loop is idle again, so a screen may place its
    // successor from inside one of its own handlers, however many replacements come first.
    std::vector<std::unique_ptr<Q7ZViewController>> m_retiringViewControllers;
    sigc::connection m_retireConnection;
    Glib::RefPtr<Gio::SimpleAction> m_reloadAction;
    Glib::RefPtr<Gio::SimpleAction> m_showDownloadsAction;
    std::vector<Glib::RefPtr<Gio::SimpleAction>> m_zoomActions;
    std::vector<Glib::RefPtr<Gio::SimpleAction>> m_pageCommandActions;
};
