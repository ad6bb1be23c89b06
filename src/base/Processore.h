#pragma once

// What the processor offers beyond the build's baseline (SSE2 on x86-64), asked once at run
// time: the pixel loops take a byte shuffle where there is one, on every x86-64 since 2006.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define HN_SSSE3 1
// A function built for processors with SSSE3, called only where haSsse3() holds.
#define HN_CON_SSSE3 __attribute__((target("ssse3")))

namespace hn {
inline bool haSsse3() {
    static const bool si = __builtin_cpu_supports("ssse3");
    return si;
}
} // namespace hn
#endif
