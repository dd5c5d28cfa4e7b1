// The input as the text of a page's bridge call after this run's marker.
#include "FuzzTargets.h"

#include <variant>

#include <glib.h>

#include "common/Json.h"
#include "web/policy/Q7ZBridgeProtocol.h"

namespace {

// Counts what reaches the program and answers like a host with odd values would.
struct RecordingHandler : Q7ZPageBridgeHandler {
    EnterpriseInfo getEnterpriseInfo() override { return record("getEnterpriseInfo"), EnterpriseInfo{"t\xff", ""}; }
    void noticeEvent() override { record("noticeEvent"); }
    void showNotice(const std::string&) override { record("showNotice"); }
    void showIMNotice(const std::string&) override { record("showIMNotice"); }
    void showInviteNotice(const std::string&) override { record("showInviteNotice"); }
    void openSettingWindow() override { record("openSettingWindow"); }
    void navigateToLogoutPage() override { record("navigateToLogoutPage"); }
    void exitApplication() override { record("exitApplication"); }
    void changeBadge(std::optional<double>) override { record("changeBadge"); }
    std::string getOSVersion() override { return record("getOSVersion"), "1(OS)"; }
    bool checkIsZoomInstalled() override { return record("checkIsZoomInstalled"), false; }
    void record(const char* operation) {
        ++performed;
        name = operation;
    }

    int performed = 0;
    std::string name;
};

bool isUtf8(const std::string& text) { return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr); }

}  // namespace

FUZZ_TARGET(bridge_call) {
    const std::string call(input);
    RecordingHandler handler;
    const Q7ZBridgeProtocol::Reading reading = Q7ZBridgeProtocol::read(call, handler);
    // One operation at most, and only for a call that names it first in a JSON array.
    FUZZ_CHECK(handler.performed <= 1);
    FUZZ_CHECK(std::holds_alternative<Q7ZBridgeProtocol::Answer>(reading) == (handler.performed == 1));
    if (const auto* answer = std::get_if<Q7ZBridgeProtocol::Answer>(&reading)) {
        const auto parsed = Q7Z_JSON::JSONValue(call);
        FUZZ_CHECK(parsed && parsed->is_array() && (*parsed)[0] == handler.name);
        // The page's callback gets an array of texts, in UTF-8 whatever the handler answered.
        const auto values = Q7Z_JSON::JSONValue(answer->text);
        FUZZ_CHECK(values && values->is_array() && isUtf8(answer->text));
        for (const auto& value : *values) FUZZ_CHECK(value.is_string());
    }
    if (const auto* dialog = std::get_if<Q7ZBridgeProtocol::DialogRequest>(&reading))
        FUZZ_CHECK(isUtf8(dialog->message) && isUtf8(dialog->defaultText));
}
