// libFuzzer's entry for one target; VELLOQ_FUZZ_ENTRY names the target's function.
#include "FuzzTargets.h"

#include <glib.h>

namespace {

// Damaged inputs are the fuzzer's daily bread: the warnings they cause would only slow it down.
// Criticals and errors still reach the default writer.
GLogWriterOutput keepOnlyCriticals(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
    if (!(level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR))) return G_LOG_WRITER_HANDLED;
    return g_log_writer_default(level, fields, count, data);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_log_set_writer_func(keepOnlyCriticals, nullptr, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VELLOQ_FUZZ_ENTRY(data, size);
    return 0;
}
