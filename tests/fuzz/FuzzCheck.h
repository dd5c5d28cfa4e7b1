#pragma once
// Invariant checks of the fuzz targets. A failed check reports itself and aborts, which both
// libFuzzer and the replay test record as a crash with the offending input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: fuzz invariant broken: %s\n", __FILE__, __LINE__,     \
                         #condition);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
