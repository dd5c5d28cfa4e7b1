#include "onboarding/Q7ZEnterpriseCodeChecks.h"

#include <utility>

#include <glib.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "config/Q7ZRemoteConfigSingleton.h"
#include "onboarding/Q7ZJWTData.h"
#include "onboarding/Q7ZPrivateCloudService.h"
#include "onboarding/Q7ZServerSettingApplier.h"
#include "platform/Bundle.h"
#include "platform/GObjectPtr.h"
#include "platform/MainThread.h"
#include "utility/Q7ZACUtility.h"

namespace {

constexpr bool kWait = true;
constexpr bool kNoWait = false;

// Lower case as the user reads it (not only ASCII); the code field always holds UTF-8.
std::string lowerCased(const std::string& text) {
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
    GCharPtr lower(g_utf8_strdown(text.data(), static_cast<gssize>(text.size())));
    return lower ? std::string(lower.get()) : text;
}

std::string settingCodeFailureMessage(std::uint64_t decodeStatus) {
    return localizedString("m3481") + (decodeStatus == Q7ZJWTData::kMalformedInput ? "(1)" : "(2)");
}

// A JSON true; a null, a number or a string is not an acceptance.
bool isSuccess(const nlohmann::json& answer) {
    const auto found = answer.find("IsSuccess");
    return found != answer.end() && found->is_boolean() && found->get<bool>();
}

// Both stores' values, to put back after a cancelled check wrote them.
struct StoredValues {
    Q7ZAppSettings settings = Q7ZAppSettingConfigSingleton::getInstance().snapshot();
    std::string title = remote().remoteTitle(), icon = remote().remoteTitleIcon();
    std::string servers = remote().serverListJsonString(), version = remote().version();

    static Q7ZRemoteConfigSingleton& remote() { return Q7ZRemoteConfigSingleton::getInstance(); }
    void restoreAndSave() const {
        auto& store = Q7ZAppSettingConfigSingleton::getInstance();
        store.apply(settings);
        remote().setRemoteTitle(title);
        remote().setRemoteTitleIcon(icon);
        remote().setServerListJsonString(servers);
        remote().setVersion(version);
        if (!store.saveConfig() || !remote().saveConfig())
            g_warning("could not save the settings a cancelled check put back");
    }
};

}  // namespace

struct Q7ZEnterpriseCodeChecks::CheckState {
    StoredValues before;
    bool cancelled = false;
    bool storesWritten = false;
};

Q7ZEnterpriseCodeChecks::Q7ZEnterpriseCodeChecks(EnterpriseCodeScreen& screen)
    : Q7ZEnterpriseCodeChecks(screen, Options{}) {}

Q7ZEnterpriseCodeChecks::Q7ZEnterpriseCodeChecks(EnterpriseCodeScreen& screen, Options options)
    : m_screen(screen), m_options(std::move(options)) {}

void Q7ZEnterpriseCodeChecks::startCheckEnterpriseCode() {
    // Without the service's address no code can be checked: "no network" would send the user
    // looking for a fault that is not there.
    if (m_options.privateCloudBase.empty()) {
        g_warning("This build has no enterprise code service address; only setting codes can be used");
        m_screen.closeCoverView();
        m_screen.showErrorAlertViewWithMessage(localizedFormat("EnterpriseCodeUnavailable", localizedString("m753")));
        return;
    }
    start([](const Check& check) { check.checkEnterpriseCodeThread(); });
}

void Q7ZEnterpriseCodeChecks::startCheckActivationCode(std::optional<std::string> message) {
    start([message = std::move(message)](const Check& check) { check.checkActivationCodeWithMessage(message); });
}

void Q7ZEnterpriseCodeChecks::cancel() {
    m_workers.revoke();
    if (!m_running) return;
    m_running->cancelled = true;
    if (m_running->storesWritten) m_running->before.restoreAndSave();
    m_running.reset();
}

void Q7ZEnterpriseCodeChecks::start(std::function<void(const Check&)> work) {
    m_running = std::make_shared<CheckState>();
    const bool started =
        Worker::start(m_workers, [screen = &m_screen, options = m_options, state = m_running, work = std::move(work)](
                                     const Worker::Link& link) { work(Check(link, screen, options, state)); });
    // No thread, no check: take the cover down so the screen is usable again.
    if (!started) m_screen.closeCoverView();
}

void Q7ZEnterpriseCodeChecks::Check::checkEnterpriseCodeThread() const {
    const auto typedCode = typedCodeOnMainThread();
    if (!typedCode) return;  // the screen is gone
    const auto answer =
        Q7ZPrivateCloudService::getServerSettingWithCloudKey(lowerCased(*typedCode), m_options.privateCloudBase);
    // An array is JSON but no answer this service gives: it fails like an unreadable body.
    if (!answer || !answer->is_object()) {
        reportToScreen([](EnterpriseCodeScreen& screen) { screen.closeCoverView(); }, kWait);
        const std::string message = localizedString("m754");
        reportToScreen([message](EnterpriseCodeScreen& screen) { screen.showErrorAlertViewWithMessage(message); },
                       kNoWait);
        return;
    }
    if (!isSuccess(*answer)) {
        reportToScreen([](EnterpriseCodeScreen& screen) { screen.closeCoverView(); }, kWait);
        reportToScreen([](EnterpriseCodeScreen& screen) { screen.showInlineError(); }, kNoWait);
        return;
    }
    const bool applied = writeStores([&answer] {
        const auto privateCloudData = answer->find("PrivateCloudData");
        if (privateCloudData != answer->end()) Q7ZServerSettingApplier::applyPrivateCloudData(*privateCloudData);
        Q7ZServerSettingApplier::chooseServerAndSave();
    });
    if (applied) continueWithChosenServer();
}

void Q7ZEnterpriseCodeChecks::Check::checkActivationCodeWithMessage(const std::optional<std::string>& message) const {
    Q7ZJWTData token;
    token.pemOfPublicKey = m_options.embeddedPublicKeyPem;
    token.message = message;
    token.verifySignatureWithPemPublicKey();
    // A verified token without a payload object carries no settings: reported as a rejected code
    // so the cover does not stay up.
    if (token.decodeStatus() != Q7ZJWTData::kVerified || !token.resultDic()) {
        const std::string text = settingCodeFailureMessage(token.decodeStatus());
        reportToScreen(
            [text](EnterpriseCodeScreen& screen) {
                screen.showErrorAlertViewWithMessage(text);
                screen.closeCoverView();
            },
            kNoWait);
        return;
    }
    const bool applied = writeStores([&token] {
        Q7ZServerSettingApplier::applySettingCodePayload(*token.resultDic());
        Q7ZServerSettingApplier::chooseServerAndSave();
    });
    if (applied) continueWithChosenServer();
}

void Q7ZEnterpriseCodeChecks::Check::detectLoginPageValidThread() const {
    if (Q7ZACUtility::detectLoginPageValidThread()) {
        reportToScreen([](EnterpriseCodeScreen& screen) { screen.goLoginPage(); }, kNoWait);
        return;
    }
    if (!writeStores([] { Q7ZRemoteConfigSingleton::getInstance().resetConfig(); })) return;
    const std::string text = localizedFormat("m3840", localizedString("m753"));
    reportToScreen([text](EnterpriseCodeScreen& screen) { screen.showErrorAlertViewWithMessage(text); }, kNoWait);
    reportToScreen([](EnterpriseCodeScreen& screen) { screen.closeCoverView(); }, kWait);
}

// Already on a worker: the login page is checked on it.
void Q7ZEnterpriseCodeChecks::Check::continueWithChosenServer() const {
    if (Q7ZAppSettingConfigSingleton::getInstance().serverSequence() ==
        Q7ZAppSettingConfigSingleton::kNoServerSequence) {
        reportToScreen([](EnterpriseCodeScreen& screen) { screen.goMultipleServerSelectPage(); }, kNoWait);
        return;
    }
    detectLoginPageValidThread();
}

void Q7ZEnterpriseCodeChecks::Check::reportToScreen(ScreenWork work, bool wait) const {
    m_link.report([screen = m_screen, work = std::move(work)] { work(*screen); }, wait);
}

bool Q7ZEnterpriseCodeChecks::Check::writeStores(std::function<void()> work) const {
    bool written = false;
    MainThread::runSync([&written, &work, state = m_state] {
        if (state->cancelled) return;
        work();
        written = state->storesWritten = true;
    });
    return written;
}

std::optional<std::string> Q7ZEnterpriseCodeChecks::Check::typedCodeOnMainThread() const {
    std::optional<std::string> code;
    reportToScreen([&code](EnterpriseCodeScreen& screen) { code = screen.typedCode(); }, kWait);
    return code;
}
