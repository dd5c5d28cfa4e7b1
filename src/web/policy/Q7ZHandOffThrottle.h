#pragma once
// Addresses handed to the desktop (meeting links, other sites): the same address asked for
// again within two seconds goes out once, so a page calling in a loop cannot start the same
// program over and over.

#include <cstdint>
#include <map>
#include <string>

class Q7ZHandOffThrottle {
public:
    static constexpr std::int64_t kWindowMicroseconds = 2'000'000;

    // Whether url goes out at now (microseconds of a monotonic clock); remembered when it does.
    bool admit(const std::string& url, std::int64_t now);

private:
    std::map<std::string, std::int64_t> m_handedOverAt;
};
