#pragma once
// The program's one web context, made on first use and kept for the life of the process. Its
// site data (local storage, caches of the engine) lives under the user's data and cache
// folders for the program, and its cookies in an SQLite file there, so a restart keeps the
// user signed in. Every web view of the program uses it.

#include <webkit2/webkit2.h>

namespace Q7ZWebContext {

WebKitWebContext* shared();

// A new web view in the shared context, with its own reference (sunk).
WebKitWebView* newWebView();

}  // namespace Q7ZWebContext
