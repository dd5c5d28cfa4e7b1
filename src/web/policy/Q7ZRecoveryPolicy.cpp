#include "web/policy/Q7ZRecoveryPolicy.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::chrono::seconds, 4> kRetryDelays{std::chrono::seconds(5), std::chrono::seconds(15),
                                                           std::chrono::seconds(60), std::chrono::minutes(5)};
constexpr std::chrono::minutes kCrashWindow{1};

}  // namespace

std::chrono::seconds Q7ZRecoveryPolicy::loadTimeout(std::optional<std::int64_t> configuredSeconds) {
    if (!configuredSeconds || *configuredSeconds < 1) return kLoadTimeout;
    return std::chrono::seconds(std::min<std::int64_t>(*configuredSeconds, 24 * 3600));
}

std::chrono::seconds Q7ZRecoveryPolicy::nextRetryDelay() {
    const auto index = std::min<std::size_t>(m_failedAttempts, kRetryDelays.size() - 1);
    ++m_failedAttempts;
    return kRetryDelays[index];
}

void Q7ZRecoveryPolicy::pageLoaded() { m_failedAttempts = 0; }

bool Q7ZRecoveryPolicy::reloadAfterCrash(Clock::time_point now) {
    const bool again = m_lastCrash && now - *m_lastCrash < kCrashWindow;
    m_lastCrash = now;
    return !again;
}
