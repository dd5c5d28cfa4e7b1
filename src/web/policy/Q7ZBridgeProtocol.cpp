#include "web/policy/Q7ZBridgeProtocol.h"

#include <algorithm>
#include <array>
#include <optional>

#include <unistd.h>

#include <glib.h>
#include <nlohmann/json.hpp>

#include "common/Json.h"

namespace {

using nlohmann::json;
using Values = std::vector<std::string>;

// Two literals: "\x01b..." would read the b as a hex digit.
constexpr std::string_view kMarkerStart =
    "\x01"
    "bridge:";
constexpr std::size_t kSecretBytes = 16;

// What an operation takes from the page. A callback stays in the page; the call carries no
// argument for it, and the answer's strings are handed to it.
enum class Argument { None, Callback, Text, Number };

struct Operation {
    const char* name;
    Argument argument;
    Values (*perform)(Q7ZPageBridgeHandler& handler, const json& argument);
};

template <void (Q7ZPageBridgeHandler::*request)()>
Values perform(Q7ZPageBridgeHandler& handler, const json&) {
    (handler.*request)();
    return {};
}

template <void (Q7ZPageBridgeHandler::*request)(const std::string&)>
Values performWithText(Q7ZPageBridgeHandler& handler, const json& text) {
    (handler.*request)(text.get_ref<const std::string&>());
    return {};
}

Values changeBadge(Q7ZPageBridgeHandler& handler, const json& number) {
    handler.changeBadge(number.is_number() ? std::optional(number.get<double>()) : std::nullopt);
    return {};
}

Values getEnterpriseInfo(Q7ZPageBridgeHandler& handler, const json&) {
    auto info = handler.getEnterpriseInfo();
    return {std::move(info.remoteTitle), std::move(info.remoteTitleIcon)};
}

Values getOSVersion(Q7ZPageBridgeHandler& handler, const json&) { return {handler.getOSVersion()}; }

Values checkIsZoomInstalled(Q7ZPageBridgeHandler& handler, const json&) {
    return {handler.checkIsZoomInstalled() ? "true" : "false"};
}

using Handler = Q7ZPageBridgeHandler;

// The only operations the page can reach. The user script is built from this table.
const std::array<Operation, 11> kOperations{{
    {"getEnterpriseInfo", Argument::Callback, &getEnterpriseInfo},
    {"noticeEvent", Argument::None, &perform<&Handler::noticeEvent>},
    {"showNotice", Argument::Text, &performWithText<&Handler::showNotice>},
    {"showIMNotice", Argument::Text, &performWithText<&Handler::showIMNotice>},
    {"showInviteNotice", Argument::Text, &performWithText<&Handler::showInviteNotice>},
    {"openSettingWindow", Argument::None, &perform<&Handler::openSettingWindow>},
    {"navigateToLogoutPage", Argument::None, &perform<&Handler::navigateToLogoutPage>},
    {"exitApplication", Argument::None, &perform<&Handler::exitApplication>},
    {"changeBadge", Argument::Number, &changeBadge},
    {"getOSVersion", Argument::Callback, &getOSVersion},
    {"checkIsZoomInstalled", Argument::Callback, &checkIsZoomInstalled},
}};

constexpr std::array<std::pair<std::string_view, Q7ZBridgeProtocol::DialogKind>, 3> kDialogs{{
    {"alert", Q7ZBridgeProtocol::DialogKind::Alert},
    {"confirm", Q7ZBridgeProtocol::DialogKind::Confirm},
    {"prompt", Q7ZBridgeProtocol::DialogKind::Prompt},
}};

const char* argumentKind(Argument argument) {
    switch (argument) {
    case Argument::Callback: return "callback";
    case Argument::Text: return "text";
    case Argument::Number: return "number";
    case Argument::None: break;
    }
    return "none";
}

// Runs before the page's own scripts, so the prompt, JSON and Reflect it keeps are the
// engine's even if the page replaces them later; the marker lives only in this closure, never
// in a function's text. A text argument that is not a string, or a number argument that is not
// a number, travels as null. The dialogs keep the engine's own: a prompt always answers a text.
constexpr std::string_view kScriptTemplate = R"JS((() => {
  'use strict';
  const marker = @MARKER@;
  const operations = @OPERATIONS@;
  const ask = window.prompt.bind(window);
  const stringify = JSON.stringify, parse = JSON.parse, apply = Reflect.apply, isArray = Array.isArray;
  const call = (values) => ask(marker + stringify(values));
  const carried = {
    text: (name, value) => [name, typeof value === 'string' ? value : null],
    number: (name, value) => [name, typeof value === 'number' ? value : null],
  };
  const bridge = {};
  for (const name of Object.keys(operations)) {
    const kind = operations[name];
    // A call without an argument is the same text every time.
    const fixed = kind === 'none' || kind === 'callback' ? marker + stringify([name]) : null;
    bridge[name] = function (argument) {
      const answer = fixed !== null ? ask(fixed) : call(carried[kind](name, argument));
      if (kind !== 'callback' || typeof argument !== 'function' || typeof answer !== 'string') return;
      let values;
      try { values = parse(answer); } catch (error) { return; }
      if (!isArray(values)) return;
      try { apply(argument, undefined, values); } catch (error) { /* the page's own exception: not the program's */ }
    };
  }
  Object.freeze(bridge);
  window.navigateObj = bridge;
  window.settingObj = bridge;
  window.noticeObj = bridge;
  const text = (value) => value === undefined ? '' : String(value);
  window.alert = function alert(message) { call(['alert', text(message)]); };
  window.confirm = function confirm(message) { return call(['confirm', text(message)]) === 'true'; };
  window.prompt = function prompt(message, value) {
    const answer = call(['prompt', text(message), text(value)]);
    return typeof answer === 'string' ? answer : null;
  };
})();
)JS";

void replace(std::string& text, std::string_view placeholder, const std::string& value) {
    text.replace(text.find(placeholder), placeholder.size(), value);
}

std::string freshMarker() {
    // The kernel's generator: OpenSSL's would cost start-up the loading of its configuration.
    std::array<unsigned char, kSecretBytes> secret{};
    if (getentropy(secret.data(), secret.size()) != 0) {
        // Never a fixed marker: GLib's generator seeds itself from the system's random source.
        g_warning("the system's random source failed; the page bridge's secret comes from GLib's generator");
        for (auto& byte : secret) byte = static_cast<unsigned char>(g_random_int_range(0, 256));
    }
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string marker(kMarkerStart);
    for (const unsigned char byte : secret) {
        marker += kDigits[byte >> 4];
        marker += kDigits[byte & 15];
    }
    return marker + ":";
}

std::string bridgeScript(const std::string& marker) {
    json operations = json::object();
    for (const Operation& operation : kOperations) operations[operation.name] = argumentKind(operation.argument);
    std::string script(kScriptTemplate);
    replace(script, "@MARKER@", json(marker).dump());
    replace(script, "@OPERATIONS@", operations.dump());
    return script;
}

bool argumentFits(Argument expected, const json& call) {
    switch (expected) {
    case Argument::None:
    case Argument::Callback: return call.size() == 1;
    case Argument::Text: return call.size() == 2 && call[1].is_string();
    case Argument::Number: return call.size() == 2 && (call[1].is_number() || call[1].is_null());
    }
    return false;
}

// ["alert", message], ["confirm", message], ["prompt", message, default], all texts.
std::optional<Q7ZBridgeProtocol::DialogRequest> dialogRequest(const json& call) {
    const auto& name = call[0].get_ref<const std::string&>();
    const auto dialog =
        std::find_if(kDialogs.begin(), kDialogs.end(), [&name](const auto& known) { return known.first == name; });
    if (dialog == kDialogs.end()) return std::nullopt;
    const std::size_t texts = dialog->second == Q7ZBridgeProtocol::DialogKind::Prompt ? 3 : 2;
    if (call.size() != texts ||
        !std::all_of(call.begin() + 1, call.end(), [](const json& value) { return value.is_string(); }))
        return std::nullopt;
    return Q7ZBridgeProtocol::DialogRequest{dialog->second, call[1].get<std::string>(),
                                            texts == 3 ? call[2].get<std::string>() : std::string()};
}

}  // namespace

Q7ZBridgeProtocol::Q7ZBridgeProtocol() : m_marker(freshMarker()), m_script(bridgeScript(m_marker)) {}

std::optional<std::string_view> Q7ZBridgeProtocol::callIn(std::string_view message) const {
    if (!message.starts_with(m_marker)) return std::nullopt;
    return message.substr(m_marker.size());
}

Q7ZBridgeProtocol::Reading Q7ZBridgeProtocol::read(std::string_view call, Q7ZPageBridgeHandler& handler) {
    const std::optional<json> parsed = Q7Z_JSON::JSONValue(call);
    if (!parsed || !parsed->is_array() || parsed->empty() || !(*parsed)[0].is_string()) return Refusal{};
    if (auto dialog = dialogRequest(*parsed)) return *dialog;
    const auto& name = (*parsed)[0].get_ref<const std::string&>();
    const auto operation = std::find_if(kOperations.begin(), kOperations.end(),
                                        [&name](const Operation& known) { return name == known.name; });
    if (operation == kOperations.end() || !argumentFits(operation->argument, *parsed)) return Refusal{};
    const Values values = operation->perform(handler, parsed->size() > 1 ? (*parsed)[1] : json());
    // Texts from files or servers need not be valid UTF-8; the page gets replacement characters.
    return Answer{json(values).dump(-1, ' ', false, json::error_handler_t::replace)};
}
