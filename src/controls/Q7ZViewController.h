#pragma once
// A screen of the main window: a controller that owns one view. The main window shows one
// screen at a time and keeps its controller for as long as it is shown.

#include <string>

#include <gtkmm/widget.h>

class Q7ZViewController {
public:
    Q7ZViewController() = default;
    virtual ~Q7ZViewController() = default;
    Q7ZViewController(const Q7ZViewController&) = delete;
    Q7ZViewController& operator=(const Q7ZViewController&) = delete;

    // The controller's view; owned by the controller, never managed by a container.
    virtual Gtk::Widget& view() = 0;
    // The screen's class name, which tests read from outside through the application.
    virtual std::string className() const = 0;

    // The "Reload" menu item is enabled only for screens that answer it.
    virtual bool respondsToReloadWebView() const { return false; }
    virtual void reloadWebView() {}
    // Likewise "Downloads", which brings the screen's downloads window forward.
    virtual bool respondsToShowDownloads() const { return false; }
    virtual void showDownloads() {}
    // Likewise View ▸ Zoom In, Zoom Out and Actual Size, for the screen's pages.
    enum class Zoom { In, Out, ActualSize };
    virtual bool respondsToZoom() const { return false; }
    virtual void zoom(Zoom) {}
    // Likewise the Edit menu and File ▸ Print…, for the screen's page.
    enum class PageCommand { Undo, Redo, Cut, Copy, Paste, SelectAll, Find, Print };
    virtual bool respondsToPageCommands() const { return false; }
    virtual void runPageCommand(PageCommand) {}
};
