#include "web/Q7ZSpellChecking.h"

#include "platform/UserDefaults.h"
#include "web/Q7ZWebContext.h"

namespace Q7ZSpellChecking {
namespace {

bool s_started = false;  // the user has typed

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

gboolean on_view_keyPressEvent(GtkWidget* view, GdkEvent*, gpointer) {
    g_signal_handlers_disconnect_by_func(view, reinterpret_cast<gpointer>(&on_view_keyPressEvent), nullptr);
    if (!s_started) {
        s_started = true;
        apply(isEnabled());
    }
    return FALSE;
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

// Before the engine's own handler, so the first word typed is checked too.
void attach(WebKitWebView* view) {
    if (!s_started) g_signal_connect(view, "key-press-event", G_CALLBACK(&on_view_keyPressEvent), nullptr);
}

}  // namespace Q7ZSpellChecking
