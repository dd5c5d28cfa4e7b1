// libFuzzer's entry for one target; VELLOQ_FUZZ_ENTRY names the target's function.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VELLOQ_FUZZ_ENTRY(data, size);
    return 0;
}
