#pragma once
// What the hosted page may ask of the program: the eleven operations of the scripting bridge,
// one member each. Q7ZPageBridge calls them on the main thread while the page's script waits
// for the answer, so an operation that asks the user (a modal alert) holds the calling script
// until the user has answered.

#include <optional>
#include <string>

class Q7ZPageBridgeHandler {
public:
    struct EnterpriseInfo {
        std::string remoteTitle;
        std::string remoteTitleIcon;
    };

    virtual ~Q7ZPageBridgeHandler() = default;

    // The page's callback receives the title, then the title icon address.
    virtual EnterpriseInfo getEnterpriseInfo() = 0;
    virtual void noticeEvent() = 0;
    // jsonText is the page's text exactly as it passed it.
    virtual void showNotice(const std::string& jsonText) = 0;
    virtual void showIMNotice(const std::string& jsonText) = 0;
    virtual void showInviteNotice(const std::string& jsonText) = 0;
    virtual void openSettingWindow() = 0;
    virtual void navigateToLogoutPage() = 0;
    virtual void exitApplication() = 0;
    // The page's number; nothing when it passed none, or something that is not a number.
    virtual void changeBadge(std::optional<double> value) = 0;
    // The page's callback receives this one text.
    virtual std::string getOSVersion() = 0;
    // The page's callback receives the text "true" or "false".
    virtual bool checkIsZoomInstalled() = 0;
};
