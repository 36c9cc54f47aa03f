// A failed property in a fuzzer: say which and abort, so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace kelpix::fuzz {

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace kelpix::fuzz
