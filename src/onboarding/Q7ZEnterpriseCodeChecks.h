#pragma once
// The checks behind the entry screen's next button: a typed enterprise code asked of the
// private cloud service, or a signed setting code verified against the embedded key. Both
// store the result, choose a server and save, then open the web host (after checking the
// chosen server's login page) or the server selection screen.
//
// Every check runs on a worker thread (Worker) and reaches the screen only through reports on
// the main thread, while the checks, a member of the screen, live: a check that outlives its
// screen finishes its network and store work, and its reports are dropped. The stores are
// written on the main thread, so a check the user cancels writes nothing after the cancel,
// and what it wrote before is put back.

#include <functional>
#include <memory>
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
    // Main thread: abandons the running check; the stores are as they were before it started,
    // and the screen hears nothing more of it.
    void cancel();

private:
    // What one check shares with the main thread's side; read and written on the main thread.
    struct CheckState;

    // One check on its worker thread.
    class Check {
    public:
        Check(Worker::Link link, EnterpriseCodeScreen* screen, Options options, std::shared_ptr<CheckState> state)
            : m_link(std::move(link)), m_screen(screen), m_options(std::move(options)), m_state(std::move(state)) {}

        void checkEnterpriseCodeThread() const;
        void checkActivationCodeWithMessage(const std::optional<std::string>& message) const;

    private:
        using ScreenWork = std::function<void(EnterpriseCodeScreen&)>;

        void detectLoginPageValidThread() const;
        void continueWithChosenServer() const;
        // Runs work on the main thread if the screen still lives; wait: until it has run.
        void reportToScreen(ScreenWork work, bool wait) const;
        std::optional<std::string> typedCodeOnMainThread() const;
        // Runs work on the main thread unless the check was cancelled; false when it was.
        bool writeStores(std::function<void()> work) const;

        Worker::Link m_link;
        EnterpriseCodeScreen* m_screen;
        Options m_options;
        std::shared_ptr<CheckState> m_state;
    };

    void start(std::function<void(const Check&)> work);

    Worker::Owner m_workers;
    std::shared_ptr<CheckState> m_running;
    EnterpriseCodeScreen& m_screen;
    Options m_options;
};
