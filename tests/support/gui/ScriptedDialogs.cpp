#include "support/gui/ScriptedDialogs.h"

#include <gtest/gtest.h>

int ScriptedDialogs::showAlert(const std::string& message, AlertStyle, const std::vector<std::string>&,
                               const std::string&) {
    m_alerts.push_back(message);
    if (m_alertAnswers.empty()) {
        ADD_FAILURE() << "unexpected alert: " << message;
        return -1;
    }
    const int answer = m_alertAnswers.front();
    m_alertAnswers.pop_front();
    return answer;
}

std::optional<std::vector<std::string>> ScriptedDialogs::runOpenPanel(const OpenPanelOptions& options) {
    m_openPanels.push_back(options);
    if (m_panelAnswers.empty()) {
        ADD_FAILURE() << "unexpected open panel: " << options.title;
        return std::nullopt;
    }
    auto answer = std::move(m_panelAnswers.front());
    m_panelAnswers.pop_front();
    return answer;
}
