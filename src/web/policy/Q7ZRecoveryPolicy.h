#pragma once
// When the main view tries again by itself after a failed load, and whether a web process that
// ended unexpectedly is reloaded or the error page shows. The delays grow so that a server that
// stays down is not hammered: 5 s, 15 s, 60 s, then every 5 minutes until a page loads. A crash
// is reloaded at once, but a second crash within a minute of the first shows the error page, so
// a page that kills its process cannot make the program loop.

#include <chrono>
#include <cstdint>
#include <optional>

class Q7ZRecoveryPolicy {
public:
    using Clock = std::chrono::steady_clock;

    // How long a load may take to answer before it counts as "took too long", unless the
    // user defaults say otherwise (in seconds, at least one).
    static constexpr std::chrono::seconds kLoadTimeout{30};
    static std::chrono::seconds loadTimeout(std::optional<std::int64_t> configuredSeconds);

    // The delay before the next automatic attempt; each call counts one failed attempt.
    std::chrono::seconds nextRetryDelay();
    // A page has loaded: the next failure starts the delays again.
    void pageLoaded();

    // Whether to reload at once after the web process ended at that moment.
    bool reloadAfterCrash(Clock::time_point now);

private:
    int m_failedAttempts = 0;
    std::optional<Clock::time_point> m_lastCrash;
};
