#pragma once
// What the settings window asks of its owner. Each request is sent with the window, on the
// main thread, only when a delegate is set; the owner closes and forgets the window in answer.

class Q7ZSettingWindow;

class Q7ZSettingWindowDelegate {
public:
    virtual ~Q7ZSettingWindowDelegate() = default;

    // Cancel, or Save without a change of server or language (the stores are saved).
    virtual void settingWindowWillClose(Q7ZSettingWindow& window) = 0;
    // A confirmed language change is saved; the owner restarts the application.
    virtual void settingWindowWillCloseByChangeLanguage(Q7ZSettingWindow& window) = 0;
    // A confirmed server change whose login page answered is saved; the owner restarts.
    virtual void settingWindowWillCloseByChangeServer(Q7ZSettingWindow& window) = 0;
};
