#pragma once
// The checks behind the entry screen's next button: a typed enterprise code asked of the
// private cloud service, or a signed setting code verified against the embedded key. Both
// store the result, choose a server and save, then open the web host (after checking the
// chosen server's login page) or the server selection screen.
//
// Every check runs on a thread of its own and reports to the screen only on the main thread.
// Lifetime: a started thread works on its own copy of this object and reaches the screen
// through a weak pointer that is locked on the main thread only, where the screen is also
// destroyed; so a check that outlives its screen finishes its network and store work and
// its reports are dropped. Threads are detached: joining them from the main thread could
// deadlock against a report that waits for the main thread.
//
// A screen owned by a unique_ptr can still hand out such a pointer: keep a liveness token
// member (std::shared_ptr<bool>) and pass std::shared_ptr<EnterpriseCodeScreen>(token, this),
// which expires when the screen, and with it the token, is destroyed.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "BuildConfig.h"
#include "EmbeddedPublicKey.h"
#include "onboarding/EnterpriseCodeScreen.h"

class Q7ZEnterpriseCodeChecks {
public:
    struct Options {
        std::string privateCloudBase = BuildConfig::kPrivateCloudBase;
        std::string embeddedPublicKeyPem = BuildConfig::kEmbeddedPublicKeyPem;
    };

    // The build's private cloud base and embedded key.
    explicit Q7ZEnterpriseCodeChecks(std::weak_ptr<EnterpriseCodeScreen> screen);
    Q7ZEnterpriseCodeChecks(std::weak_ptr<EnterpriseCodeScreen> screen, Options options);

    // Main thread, cover already up: each runs its entry point on a new thread.
    void startCheckEnterpriseCode() const;
    void startCheckActivationCode(std::optional<std::string> message) const;
    void startDetectLoginPageValid() const;

    // Thread entry points.
    void checkEnterpriseCodeThread() const;
    void checkActivationCodeWithMessage(const std::optional<std::string>& message) const;
    void detectLoginPageValidThread() const;

    // Threads started through this object or its copies that have not finished yet.
    std::size_t runningWorkerCount() const { return m_runningWorkers->load(); }

private:
    using ScreenWork = std::function<void(EnterpriseCodeScreen&)>;

    void startWorker(std::function<void(const Q7ZEnterpriseCodeChecks&)> work) const;
    // Runs work on the main thread if the screen still exists; wait chooses runSync over runAsync.
    void reportToScreen(ScreenWork work, bool wait) const;
    std::optional<std::string> typedCodeOnMainThread() const;
    void continueWithChosenServer() const;

    std::weak_ptr<EnterpriseCodeScreen> m_screen;
    Options m_options;
    std::shared_ptr<std::atomic<std::size_t>> m_runningWorkers;
};
