#pragma once
// An entry screen that records which of its operations the enterprise code checks called, in
// order, and the alert's text; a call that does not come on the main thread fails the running
// test. An optional hook runs inside each call, so a test can look at the world at that moment.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "onboarding/EnterpriseCodeScreen.h"

class RecordingScreen : public EnterpriseCodeScreen {
public:
    explicit RecordingScreen(std::string typedCode = "") : m_typedCode(std::move(typedCode)) {}

    void closeCoverView() override { record("closeCoverView"); }
    void showErrorAlertViewWithMessage(const std::string& text) override { record("showErrorAlertViewWithMessage", text); }
    void showInlineError() override { record("showInlineError"); }
    void goLoginPage() override { record("goLoginPage"); }
    void goMultipleServerSelectPage() override { record("goMultipleServerSelectPage"); }
    std::string typedCode() override {
        record("typedCode");
        return m_typedCode;
    }

    void setOnCall(std::function<void(const std::string& name)> hook) { m_onCall = std::move(hook); }
    // The operations' names, e.g. "goLoginPage", in the order they were called.
    std::vector<std::string> calls() const;
    // The alert's text; "" when none was shown.
    std::string alertText() const;

private:
    void record(const std::string& name, const std::string& alertText = "");

    std::string m_typedCode;
    std::function<void(const std::string&)> m_onCall;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::string m_alertText;
};
