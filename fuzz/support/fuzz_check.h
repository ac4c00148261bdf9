// A property that an input broke: the reason goes to stderr and the process aborts, so that libFuzzer keeps
// the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void FuzzFailure(const std::string& what) {
    std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s\n", what.c_str());
    std::abort();
}

inline void FuzzCheck(bool holds, const std::string& what) {
    if (!holds) FuzzFailure(what);
}
