#include "web/Q7ZPageBridge.h"

#include <algorithm>
#include <array>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;
using Answer = std::vector<std::string>;

// Two literals: "\x01b..." would read the b as a hex digit.
constexpr std::string_view kMarker = "\x01" "bridge:";

// What an operation takes from the page. A callback stays in the page; the call carries no
// argument for it, and the answer's strings are handed to it.
enum class Argument { None, Callback, Text, Number };

struct Operation {
    const char* name;
    Argument argument;
    Answer (*perform)(Q7ZPageBridgeHandler& handler, const json& argument);
};

template <void (Q7ZPageBridgeHandler::*request)()>
Answer perform(Q7ZPageBridgeHandler& handler, const json&) {
    (handler.*request)();
    return {};
}

template <void (Q7ZPageBridgeHandler::*request)(const std::string&)>
Answer performWithText(Q7ZPageBridgeHandler& handler, const json& text) {
    (handler.*request)(text.get_ref<const std::string&>());
    return {};
}

Answer changeBadge(Q7ZPageBridgeHandler& handler, const json& number) {
    handler.changeBadge(number.is_number() ? std::optional(number.get<double>()) : std::nullopt);
    return {};
}

Answer getEnterpriseInfo(Q7ZPageBridgeHandler& handler, const json&) {
    auto info = handler.getEnterpriseInfo();
    return {std::move(info.remoteTitle), std::move(info.remoteTitleIcon)};
}

Answer getOSVersion(Q7ZPageBridgeHandler& handler, const json&) { return {handler.getOSVersion()}; }

Answer checkIsZoomInstalled(Q7ZPageBridgeHandler& handler, const json&) {
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

const char* argumentKind(Argument argument) {
    switch (argument) {
    case Argument::Callback: return "callback";
    case Argument::Text: return "text";
    case Argument::Number: return "number";
    case Argument::None: break;
    }
    return "none";
}

// Runs in every frame before the page's own scripts, so the prompt, JSON and Reflect it keeps
// are the engine's even if the page replaces them later. A text argument that is not a string,
// or a number argument that is not a finite number, travels as null.
constexpr std::string_view kScriptTemplate = R"JS((() => {
  'use strict';
  const marker = @MARKER@;
  const operations = @OPERATIONS@;
  const ask = window.prompt.bind(window);
  const stringify = JSON.stringify, parse = JSON.parse, apply = Reflect.apply, isArray = Array.isArray;
  const carried = {
    none: (name) => [name],
    callback: (name) => [name],
    text: (name, value) => [name, typeof value === 'string' ? value : null],
    number: (name, value) => [name, typeof value === 'number' ? value : null],
  };
  const bridge = {};
  for (const name of Object.keys(operations)) {
    const kind = operations[name];
    bridge[name] = function (argument) {
      const answer = ask(marker + stringify(carried[kind](name, argument)));
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
})();
)JS";

void replace(std::string& text, std::string_view placeholder, const std::string& value) {
    text.replace(text.find(placeholder), placeholder.size(), value);
}

std::string bridgeScript() {
    json operations = json::object();
    for (const Operation& operation : kOperations) operations[operation.name] = argumentKind(operation.argument);
    std::string script(kScriptTemplate);
    replace(script, "@MARKER@", json(std::string(kMarker)).dump());
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

// The page's text can be long: enough of it to recognise in a debug message, cut between
// characters.
std::string excerpt(std::string_view call) {
    std::size_t length = std::min<std::size_t>(call.size(), 120);
    while (length < call.size() && (call[length] & 0xC0) == 0x80) --length;
    return std::string(call.substr(0, length));
}

}  // namespace

Q7ZPageBridge::Q7ZPageBridge(Q7ZPageBridgeHandler& handler)
    : m_handler(handler),
      m_script(webkit_user_script_new(bridgeScript().c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr)) {}

Q7ZPageBridge::~Q7ZPageBridge() {
    for (const auto& manager : m_contentManagers) webkit_user_content_manager_remove_script(manager.get(), m_script.get());
}

void Q7ZPageBridge::attach(WebKitWebView* view) {
    WebKitUserContentManager* manager = webkit_web_view_get_user_content_manager(view);
    if (std::none_of(m_contentManagers.begin(), m_contentManagers.end(),
                     [manager](const auto& known) { return known.get() == manager; })) {
        webkit_user_content_manager_add_script(manager, m_script.get());
        m_contentManagers.push_back(retainObject(manager));
    }
    m_connections.connect(view, "script-dialog", G_CALLBACK(&Q7ZPageBridge::on_view_script_dialog), this);
}

gboolean Q7ZPageBridge::on_view_script_dialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer bridge) {
    if (webkit_script_dialog_get_dialog_type(dialog) != WEBKIT_SCRIPT_DIALOG_PROMPT) return FALSE;
    std::string_view message = webkit_script_dialog_get_message(dialog);
    if (!message.starts_with(kMarker)) return FALSE;
    message.remove_prefix(kMarker.size());
    // The handler may run a nested main loop (a modal alert); nothing of the bridge is touched
    // after it returns, so the bridge may even be gone by then.
    if (const auto text = static_cast<Q7ZPageBridge*>(bridge)->answer(message)) {
        webkit_script_dialog_prompt_set_text(dialog, text->c_str());
    }
    // Never webkit_script_dialog_close() here: the engine completes the prompt itself.
    return TRUE;
}

std::optional<std::string> Q7ZPageBridge::answer(std::string_view call) {
    const json parsed = json::parse(call, nullptr, false);
    if (!parsed.is_array() || parsed.empty() || !parsed[0].is_string()) {
        g_debug("Page bridge: refused a call that is not [name, arguments…]: %s", excerpt(call).c_str());
        return std::nullopt;
    }
    const auto& name = parsed[0].get_ref<const std::string&>();
    const auto operation = std::find_if(kOperations.begin(), kOperations.end(),
                                        [&name](const Operation& known) { return name == known.name; });
    if (operation == kOperations.end() || !argumentFits(operation->argument, parsed)) {
        g_debug("Page bridge: refused an unknown operation or wrong arguments: %s", excerpt(call).c_str());
        return std::nullopt;
    }
    const Answer values = operation->perform(m_handler, parsed.size() > 1 ? parsed[1] : json());
    // Texts from files or servers need not be valid UTF-8; the page gets replacement characters.
    return json(values).dump(-1, ' ', false, json::error_handler_t::replace);
}
