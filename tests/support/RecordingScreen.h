#pragma once
// An entry screen that records which of its operations the enterprise code checks called, in
// order, with the argument and whether the call came on the main thread. An optional hook
// runs inside each call, so a test can look at the world at that very moment.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "onboarding/EnterpriseCodeScreen.h"

class RecordingScreen : public EnterpriseCodeScreen {
public:
    struct Call {
        std::string name;      // the operation's name, e.g. "goLoginPage"
        std::string argument;  // the alert text; "" for the others
        bool onMainThread = false;
    };

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
    std::vector<Call> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    void record(const std::string& name, const std::string& argument = "");

    std::string m_typedCode;
    std::function<void(const std::string&)> m_onCall;
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};
