// What the main view does when its page does not load: the failure named from the engine's
// error (those the end-to-end test cannot provoke: a refused port and an unknown name are
// named there) or the certificate, the growing delays of the automatic retries, and the rule that keeps
// a page whose process keeps ending from reloading in a loop. The error page itself, the
// engine's errors and the retries as they happen are proven end to end (error_page_test.py).

#include <gtest/gtest.h>

#include "web/policy/Q7ZLoadFailure.h"
#include "web/policy/Q7ZRecoveryPolicy.h"

namespace {

using Kind = Q7ZLoadFailure::Kind;
using namespace std::chrono_literals;

TEST(LoadFailure, EachErrorIsNamedAndTheCertificateDescribed) {
    const struct {
        GQuark domain;
        int code;
        std::optional<Kind> kind;
    } errors[] = {
        {G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE, Kind::CannotReach},  // no network to ask
        {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, Kind::TookTooLong},
        {G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED, Kind::ConnectionLost},
        {G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, Kind::CertificateNotTrusted},
        {g_quark_from_static_string("WebKitNetworkError"), 302, std::nullopt},  // the engine's own
    };
    for (const auto& [domain, code, kind] : errors) {
        GError error{domain, code, const_cast<gchar*>("")};
        EXPECT_EQ(Q7ZLoadFailure::kindOfNetworkError(&error), kind) << g_quark_to_string(domain) << " " << code;
    }
    EXPECT_EQ(Q7ZLoadFailure::kindOfNetworkError(nullptr), std::nullopt);

    const auto described = Q7ZLoadFailure::describe(
        nullptr, GTlsCertificateFlags(G_TLS_CERTIFICATE_UNKNOWN_CA | G_TLS_CERTIFICATE_EXPIRED));
    EXPECT_EQ(described.problemKeys, (std::vector<std::string>{"CertificateUnknownAuthority", "CertificateExpired"}));
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(Q7ZLoadFailure::fingerprint(abc, sizeof abc),
              "BA:78:16:BF:8F:01:CF:EA:41:41:40:DE:5D:AE:22:23:B0:03:61:A3:96:17:7A:9C:B4:10:FF:61:F2:00:15:AD");
}

TEST(RecoveryPolicy, RetriesSlowDownAndASecondCrashWithinAMinuteIsNotReloaded) {
    Q7ZRecoveryPolicy policy;
    std::vector<std::chrono::seconds> delays;
    for (int attempt = 0; attempt < 5; ++attempt) delays.push_back(policy.nextRetryDelay());
    EXPECT_EQ(delays, (std::vector<std::chrono::seconds>{5s, 15s, 60s, 300s, 300s}));
    policy.pageLoaded();
    EXPECT_EQ(policy.nextRetryDelay(), 5s);

    const auto start = Q7ZRecoveryPolicy::Clock::now();
    EXPECT_TRUE(policy.reloadAfterCrash(start));
    EXPECT_FALSE(policy.reloadAfterCrash(start + 59s));
    EXPECT_TRUE(policy.reloadAfterCrash(start + 59s + 61s));

    EXPECT_EQ(Q7ZRecoveryPolicy::loadTimeout(std::nullopt), Q7ZRecoveryPolicy::kLoadTimeout);
    EXPECT_EQ(Q7ZRecoveryPolicy::loadTimeout(0), Q7ZRecoveryPolicy::kLoadTimeout);
    EXPECT_EQ(Q7ZRecoveryPolicy::loadTimeout(3), 3s);
}

}  // namespace
