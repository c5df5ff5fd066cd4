// A fuzz target's own check: a broken one ends the run as a finding, in every build.

#pragma once

#include <cstdlib>

inline void require(bool condition) {
    if (!condition)
        std::abort();
}
