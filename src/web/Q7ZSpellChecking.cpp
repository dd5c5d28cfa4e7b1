#include "web/Q7ZSpellChecking.h"

#include "platform/UserDefaults.h"
#include "web/Q7ZWebContext.h"

namespace Q7ZSpellChecking {
namespace {

bool s_started = false;

void apply(bool on) {
    WebKitWebContext* context = Q7ZWebContext::shared();
    if (on) {
        static const char* const kLanguages[] = {"en_US", nullptr};
        webkit_web_context_set_spell_checking_languages(context, kLanguages);
        if (!webkit_web_context_get_spell_checking_languages(context))
            g_warning("no English dictionary is installed (hunspell-en-us): nothing is spell-checked");
    }
    webkit_web_context_set_spell_checking_enabled(context, on);
}

}  // namespace

bool isEnabled() { return UserDefaults::standardUserDefaults().boolean(UserDefaults::kCheckSpelling).value_or(true); }

void setEnabled(bool on) {
    auto& defaults = UserDefaults::standardUserDefaults();
    defaults.setBoolean(UserDefaults::kCheckSpelling, on);
    if (!defaults.synchronize())
        g_warning("the spell-checking choice could not be saved in %s", UserDefaults::filePath().c_str());
    if (s_started) apply(on);
}

void start() {
    if (s_started) return;
    s_started = true;
    apply(isEnabled());
}

}  // namespace Q7ZSpellChecking
