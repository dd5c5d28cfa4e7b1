#include "support/RecordingScreen.h"

#include "platform/MainThread.h"

void RecordingScreen::record(const std::string& name, const std::string& argument) {
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back({name, argument, MainThread::isMainThread()});
    }
    if (m_onCall) m_onCall(name);
}
