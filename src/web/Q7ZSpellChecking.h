#pragma once
// Spell checking of the pages' text fields with the desktop's dictionaries (Enchant), on unless
// the user turns it off with Edit ▸ Check Spelling. English only: the interface's Chinese
// languages have no words to check, so they fall back to English for the Latin text typed
// among them. Main thread only.

namespace Q7ZSpellChecking {

// The user's choice, kept in the user defaults.
bool isEnabled();
// Keeps the choice, and applies it at once once the pages have started.
void setEnabled(bool on);
// Applies the choice. The web host calls it when its first page has loaded, so that loading the
// dictionaries never delays the first page.
void start();

}  // namespace Q7ZSpellChecking
