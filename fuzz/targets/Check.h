#pragma once
// What every target shares: a failed check stops the run, and libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

namespace fuzzio {

// Stops the run with a message; libFuzzer saves the input as a crash.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "velloran fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace fuzzio
