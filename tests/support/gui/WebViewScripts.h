#pragma once
// Driving a real web view from a test as its page would be driven: run script in it, with a
// bounded wait on the default main context.

#include <string>

#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include "platform/GObjectPtr.h"
#include "support/MainLoopPump.h"

namespace WebViewScripts {

inline GObjectPtr<WebKitWebView> newView() {
    return GObjectPtr<WebKitWebView>(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new())));
}

// The script's value as text, or the message of the exception it threw.
inline std::string run(WebKitWebView* view, const std::string& script) {
    GObjectPtr<GAsyncResult> outcome;
    webkit_web_view_evaluate_javascript(
        view, script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject*, GAsyncResult* result, gpointer kept) {
            static_cast<GObjectPtr<GAsyncResult>*>(kept)->reset(G_ASYNC_RESULT(g_object_ref(result)));
        },
        &outcome);
    EXPECT_TRUE(pumpUntil([&] { return outcome != nullptr; })) << script;
    if (!outcome) return "no answer";
    GError* error = nullptr;
    GObjectPtr<JSCValue> value(webkit_web_view_evaluate_javascript_finish(view, outcome.get(), &error));
    const GErrorPtr failure(error);
    return value ? GCharPtr(jsc_value_to_string(value.get())).get() : failure->message;
}

}  // namespace WebViewScripts
