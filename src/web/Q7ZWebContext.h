#pragma once
// The program's one web context, made on first use and kept for the life of the process. Its
// site data (local storage, caches of the engine) lives under the user's data and cache
// folders for the program, and its cookies in an SQLite file there, so a restart keeps the
// user signed in. Every web view of the program uses it.

#include <string>

#include <webkit2/webkit2.h>

namespace Q7ZWebContext {

WebKitWebContext* shared();

// Makes the shared context and has it look up the address's host, which starts the engine's
// network process: start-up calls it first thing, so that process starts while the toolkit
// and the application start. Needs no display.
void warmUpFor(const std::string& url);

// A new web view in the shared context, with its own reference (sunk).
WebKitWebView* newWebView();

}  // namespace Q7ZWebContext
