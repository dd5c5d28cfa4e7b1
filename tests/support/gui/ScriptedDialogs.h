#pragma once
// Dialogs answered by the test: each alert takes the next scripted button index, each text input
// the next scripted button index and text, and each open panel and print dialog the next scripted answer, in
// order. Every request is recorded (an alert and a text input by its message). A request with
// no scripted answer fails the test and answers -1 / nothing.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/desktop/Dialogs.h"

class ScriptedDialogs : public Dialogs {
public:
    void answerAlert(int buttonIndex) { m_alertAnswers.push_back(buttonIndex); }
    void answerTextInput(int buttonIndex, std::string text) { m_textAnswers.push_back({buttonIndex, std::move(text)}); }
    void answerOpenPanel(std::optional<std::vector<std::string>> paths) { m_panelAnswers.push_back(std::move(paths)); }
    void answerPrintDialog(std::optional<PrintChoice> choice) { m_printAnswers.push_back(std::move(choice)); }

    const std::vector<std::string>& alerts() const { return m_alerts; }
    const std::vector<OpenPanelOptions>& openPanels() const { return m_openPanels; }

    int showAlert(const std::string& message, AlertStyle, const std::vector<std::string>&,
                  const std::string& = "") override {
        m_alerts.push_back(message);
        return next(m_alertAnswers, "unexpected alert: " + message, -1);
    }
    TextInputAnswer runTextInput(const std::string& message, const std::string&,
                                 const std::vector<std::string>&) override {
        m_alerts.push_back(message);
        return next(m_textAnswers, "unexpected text input: " + message, TextInputAnswer{});
    }
    std::optional<std::vector<std::string>> runOpenPanel(const OpenPanelOptions& options) override {
        m_openPanels.push_back(options);
        return next(m_panelAnswers, "unexpected open panel: " + options.title, std::nullopt);
    }

    std::optional<PrintChoice> runPrintDialog(const std::string& title) override {
        m_alerts.push_back(title);
        return next(m_printAnswers, "unexpected print dialog: " + title, std::nullopt);
    }

private:
    template <class Answer, class Fallback>
    static Answer next(std::deque<Answer>& answers, const std::string& failure, Fallback fallback) {
        if (answers.empty()) {
            ADD_FAILURE() << failure;
            return fallback;
        }
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    std::deque<int> m_alertAnswers;
    std::deque<TextInputAnswer> m_textAnswers;
    std::deque<std::optional<std::vector<std::string>>> m_panelAnswers;
    std::deque<std::optional<PrintChoice>> m_printAnswers;
    std::vector<std::string> m_alerts;
    std::vector<OpenPanelOptions> m_openPanels;
};
