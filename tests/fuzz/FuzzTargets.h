#pragma once
// The fuzz targets' harness. FUZZ_TARGET(name) defines a target, a plain function of the input,
// and registers it by name: the libFuzzer program runs the one VELLOQ_FUZZ_TARGET names, and the
// replay test runs each on its seeds in corpus/<name>/, so both run exactly the same code.
// A broken invariant reports itself through FUZZ_CHECK and aborts, which both record as a crash
// with the offending input.

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

using FuzzTarget = void (*)(std::string_view input);

inline std::map<std::string, FuzzTarget>& fuzzTargets() {
    static std::map<std::string, FuzzTarget> targets;
    return targets;
}

#define FUZZ_TARGET(name)                                                                              \
    static void fuzz_##name(std::string_view input);                                                   \
    [[maybe_unused]] static const bool registered_##name = (fuzzTargets()[#name] = fuzz_##name, true); \
    static void fuzz_##name(std::string_view input)

[[noreturn]] inline void fuzzInvariantBroken(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: fuzz invariant broken: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void() : fuzzInvariantBroken(__FILE__, __LINE__, #condition))
