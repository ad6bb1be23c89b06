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

// The SSSE3 form of a pixel loop where the processor has it, else its plain form; the SSSE3 one
// need not exist where the build has none.
#if defined(HN_SSSE3)
#define HN_SCEGLI_SSSE3(veloce, semplice) (::hn::haSsse3() ? (veloce) : (semplice))
#else
#define HN_SCEGLI_SSSE3(veloce, semplice) (semplice)
#endif
