// The input as the JSON text the page passes with a notice.
#include "FuzzTargets.h"

#include <glib.h>

#include "config/Q7ZAppSettingConfigSingleton.h"
#include "support/TempHome.h"
#include "web/policy/Q7ZNoticeRules.h"

namespace {

// The page's text only ever sits inside string literals, which hold no line end and no markup:
// outside them a click's script is the function path, bare integers, commas and parentheses.
void checkScriptKeepsTextInLiterals(std::string_view script) {
    const std::size_t open = script.find('(');
    FUZZ_CHECK(open != script.npos && script.back() == ')' && script.find_first_of("\n\r<") == script.npos);
    FUZZ_CHECK(script.find("\xE2\x80\xA8") == script.npos && script.find("\xE2\x80\xA9") == script.npos);
    bool inLiteral = false;
    for (std::size_t i = open + 1; i + 1 < script.size(); ++i) {
        if (inLiteral && script[i] == '\\') ++i;
        else if (script[i] == '\'') inLiteral = !inLiteral;
        else FUZZ_CHECK(inLiteral || std::string_view("0123456789-,").find(script[i]) != script.npos);
    }
    FUZZ_CHECK(!inLiteral);
}

}  // namespace

FUZZ_TARGET(page_notice) {
    processHome();
    auto& settings = Q7ZAppSettingConfigSingleton::getInstance();
    settings.setIsDesktopNotifications(true);
    const std::string text(input);
    for (const auto type :
         {Q7ZDesktopNotifyType::Notice, Q7ZDesktopNotifyType::IMNotice, Q7ZDesktopNotifyType::InviteNotice}) {
        const auto notice = Q7ZNoticeRules(settings).makeNotice(type, text);
        if (!notice) continue;
        // The desktop gets title and body as C strings over the bus, which takes only UTF-8;
        // the page's text goes there whole and comes back with the click.
        FUZZ_CHECK(g_utf8_validate(notice->title.c_str(), -1, nullptr) &&
                   g_utf8_validate(notice->body.c_str(), -1, nullptr));
        FUZZ_CHECK(notice->text == text && g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr));
        const auto script = Q7ZNoticeRules::scriptForClick(notice->kind, notice->text);
        FUZZ_CHECK(script.has_value());
        checkScriptKeepsTextInLiterals(*script);
    }
}
