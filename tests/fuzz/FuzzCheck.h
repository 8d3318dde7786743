#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise of the code under test: libFuzzer reports the abort as a finding and
// keeps the input, the replay test fails.
#define FUZZ_CHECK(bCondition, szWhat)                                                                       \
    do                                                                                                       \
    {                                                                                                        \
        if (!(bCondition))                                                                                   \
        {                                                                                                    \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", __FILE__, __LINE__, szWhat);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
