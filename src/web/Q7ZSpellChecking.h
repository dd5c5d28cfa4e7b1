#pragma once
// Spell checking of the pages' text fields with the desktop's dictionaries (Enchant), on unless
// the user turns it off with Edit ▸ Check Spelling. English only: the interface's Chinese
// languages have no words to check, so they fall back to English for the Latin text typed
// among them. Main thread only.

#include <webkit2/webkit2.h>

namespace Q7ZSpellChecking {

// The user's choice, kept in the user defaults.
bool isEnabled();
// Keeps the choice, and applies it at once if the user has typed already.
void setEnabled(bool on);
// Applies the choice when the user first types in the view. The dictionaries cost about 8 MiB,
// which a user who only reads never needs, and loading them never delays the first page.
void attach(WebKitWebView* view);

}  // namespace Q7ZSpellChecking
