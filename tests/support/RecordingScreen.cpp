#include "support/RecordingScreen.h"

#include <gtest/gtest.h>

#include "platform/MainThread.h"

void RecordingScreen::record(const std::string& name, const std::string& alertText) {
    EXPECT_TRUE(MainThread::isMainThread()) << name << " called off the main thread";
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(name);
        if (!alertText.empty()) m_alertText = alertText;
    }
    if (m_onCall) m_onCall(name);
}

std::vector<std::string> RecordingScreen::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::string RecordingScreen::alertText() const {
    std::lock_guard lock(m_mutex);
    return m_alertText;
}
