#pragma once

#include <cstdio>

// A broken invariant is a finding: it says which one and stops the fuzzer where libFuzzer keeps
// the input that did it.
[[noreturn, gnu::noinline]] inline void Broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    __builtin_trap();
}

inline void Require(bool bHolds, const char* what) {
    if (!bHolds)
        Broken(what);
}
