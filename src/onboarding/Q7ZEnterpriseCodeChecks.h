#pragma once
// The checks behind the entry screen's next button: a typed enterprise code asked of the
// private cloud service, or a signed setting code verified against the embedded key. Both
// store the result, choose a server and save, then open the web host (after checking the
// chosen server's login page) or the server selection screen.
//
// Every check runs on a worker thread (Worker) and reaches the screen only through reports on
// the main thread, while the checks, a member of the screen, live: a check that outlives its
// screen finishes its network and store work, and its reports are dropped.

#include <functional>
#include <optional>
#include <string>

#include "BuildConfig.h"
#include "EmbeddedPublicKey.h"
#include "onboarding/EnterpriseCodeScreen.h"
#include "platform/Worker.h"

class Q7ZEnterpriseCodeChecks {
public:
    struct Options {
        std::string privateCloudBase = BuildConfig::kPrivateCloudBase;
        std::string embeddedPublicKeyPem = BuildConfig::kEmbeddedPublicKeyPem;
    };

    // screen: the entry screen the checks belong to. The build's private cloud base and
    // embedded key unless options say otherwise.
    explicit Q7ZEnterpriseCodeChecks(EnterpriseCodeScreen& screen);
    Q7ZEnterpriseCodeChecks(EnterpriseCodeScreen& screen, Options options);

    // Main thread, cover already up.
    void startCheckEnterpriseCode();
    void startCheckActivationCode(std::optional<std::string> message);

private:
    // One check on its worker thread.
    class Check {
    public:
        Check(Worker::Link link, EnterpriseCodeScreen* screen, Options options)
            : m_link(std::move(link)), m_screen(screen), m_options(std::move(options)) {}

        void checkEnterpriseCodeThread() const;
        void checkActivationCodeWithMessage(const std::optional<std::string>& message) const;

    private:
        using ScreenWork = std::function<void(EnterpriseCodeScreen&)>;

        void detectLoginPageValidThread() const;
        void continueWithChosenServer() const;
        // Runs work on the main thread if the screen still lives; wait: until it has run.
        void reportToScreen(ScreenWork work, bool wait) const;
        std::optional<std::string> typedCodeOnMainThread() const;

        Worker::Link m_link;
        EnterpriseCodeScreen* m_screen;
        Options m_options;
    };

    void start(std::function<void(const Check&)> work);

    Worker::Owner m_workers;
    EnterpriseCodeScreen& m_screen;
    Options m_options;
};
