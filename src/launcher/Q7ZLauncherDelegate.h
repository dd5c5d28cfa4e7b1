#pragma once
// The login-item helper: half a second after it starts it finds the application's executable
// in the bundle that holds the helper and starts it unless an instance is already running,
// then ends. With no executable where one should be it starts nothing and stays idle.

#include <string>

#include <glib.h>

class Q7ZLauncherDelegate {
public:
    static constexpr guint kStartDelayMs = 500;
    // "/Contents/Library/LoginItems/Velloq Parlor helper.app" with the names as built.
    static std::string loginItemsPart();
    // "Contents/MacOS/Velloq Parlor" with the names as built.
    static std::string executableComponent();

    // loop is borrowed: quitting it ends the helper.
    explicit Q7ZLauncherDelegate(GMainLoop* loop);
    ~Q7ZLauncherDelegate();
    Q7ZLauncherDelegate(const Q7ZLauncherDelegate&) = delete;
    Q7ZLauncherDelegate& operator=(const Q7ZLauncherDelegate&) = delete;

    void applicationDidFinishLaunching();
    void delayToStartApp();
    void applicationWillTerminate() {}

    // The helper's own bundle path with every loginItemsPart() removed, then executableComponent().
    static std::string applicationExecutablePath(const std::string& helperBundlePath);

private:
    static gboolean on_start_delay_elapsed(gpointer self);
    bool isApplicationRunning() const;
    void launchApplication(const std::string& executablePath) const;

    GMainLoop* m_loop;
    guint m_delaySourceId = 0;
};
