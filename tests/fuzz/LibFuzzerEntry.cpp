// libFuzzer's entry: runs the target that the environment's VELLOQ_FUZZ_TARGET names.
#include "FuzzTargets.h"

#include <cstdint>

#include <glib.h>

namespace {

FuzzTarget s_target = nullptr;

// Damaged inputs are the fuzzer's daily bread: the warnings they cause would only slow it down.
// Criticals and errors still reach the default writer.
GLogWriterOutput keepOnlyCriticals(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
    if (!(level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR))) return G_LOG_WRITER_HANDLED;
    return g_log_writer_default(level, fields, count, data);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_log_set_writer_func(keepOnlyCriticals, nullptr, nullptr);
    const char* name = g_getenv("VELLOQ_FUZZ_TARGET");
    s_target = fuzzTargets()[name ? name : ""];
    if (!s_target) g_error("VELLOQ_FUZZ_TARGET=\"%s\" names no fuzz target", name ? name : "");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    s_target(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
