#pragma once
// What the enterprise code checks need of the entry screen. The checks call these only on the
// main thread; the screen implements them with its widgets.

#include <string>

class EnterpriseCodeScreen {
public:
    virtual ~EnterpriseCodeScreen() = default;

    // Hides the cover that blocks the screen while a check runs.
    virtual void closeCoverView() = 0;
    // A modal warning alert; returns when the user dismisses it.
    virtual void showErrorAlertViewWithMessage(const std::string& text) = 0;
    // Un-hides errorTextField and errorRectImageView above the code row.
    virtual void showInlineError() = 0;
    // Replace the screen with the web host, or with the server selection screen.
    virtual void goLoginPage() = 0;
    virtual void goMultipleServerSelectPage() = 0;
    // The text of the code field.
    virtual std::string typedCode() = 0;
};
