// The check of every fuzz target: a broken contract aborts, so libFuzzer keeps the input (and
// the corpus test of the normal build fails on it).
#pragma once

#include <cstdlib>

namespace fuzzcheck {

inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace fuzzcheck
