#pragma once

#include <cstdlib>

// A property the target checks beyond crashes: a failed one aborts, which libFuzzer reports
// with the input that broke it.
inline void require(bool condition) {
    if (!condition)
        std::abort();
}
