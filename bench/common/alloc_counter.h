// Heap allocation counters for benchmark programs.
//
// WHAT IT DOES
//   Linking this library replaces the global operator new and wraps malloc, calloc and realloc
//   for the whole program, counting calls: C++ allocations (operator new, any caller), direct C
//   allocations made by code inside this executable (the system's own code is linked in
//   statically), and C allocations by anybody (shared libraries such as Mesa included).
//
// WHAT IT DOES NOT DO
//   No bytes, no frees, no stack traces; counting costs one relaxed atomic add per call.
//
// ORDER OF CALLS
//   Take bench::AllocSnapshot() before and after the span to count, and subtract.
#pragma once

#include <cstdint>

namespace bench {

struct AllocCounts {
    uint64_t cppNew = 0;  // operator new / new[]
    uint64_t cOurs = 0;   // malloc/calloc/realloc called from code inside this executable
    uint64_t cAll = 0;    // malloc/calloc/realloc from anywhere (operator new not included)

    uint64_t Ours() const { return cppNew + cOurs; }
    AllocCounts operator-(const AllocCounts& o) const {
        return {cppNew - o.cppNew, cOurs - o.cOurs, cAll - o.cAll};
    }
};

AllocCounts AllocSnapshot();

}  // namespace bench
