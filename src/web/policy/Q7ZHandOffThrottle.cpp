#include "web/policy/Q7ZHandOffThrottle.h"

bool Q7ZHandOffThrottle::admit(const std::string& url, std::int64_t now) {
    std::erase_if(m_handedOverAt, [now](const auto& entry) { return now - entry.second >= kWindowMicroseconds; });
    return m_handedOverAt.try_emplace(url, now).second;
}
