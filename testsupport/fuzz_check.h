#pragma once
// What a fuzz target asserts: a broken invariant aborts, so libFuzzer keeps the input that broke it.
#include <cstdlib>

namespace fuzz {

inline void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace fuzz
