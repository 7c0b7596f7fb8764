#pragma once

// The processor's sticky exception flags of extended arithmetic, for the unchecked batch
// passes: finite operands give an infinite or NaN result only with an overflow, a division by
// zero or an invalid operation, each of which raises its flag.

#include <cstdint>

namespace velquor::fpu {

#if defined(__x86_64__) || defined(__i386__)
// Extended values are computed by the x87 unit, whose status word keeps the flags.
constexpr bool CanWatchFlags = true;
// The memory clobbers keep the pass's loads after the clearing and its stores before the
// reading.
inline void clearFlags()
{
    asm volatile("fnclex" ::: "memory");
}
inline bool faultFlagRaised()
{
    std::uint16_t status = 0;
    asm volatile("fnstsw %0" : "=a"(status)::"memory");
    constexpr std::uint16_t Invalid = 0x01, ZeroDivide = 0x04, Overflow = 0x08;
    return (status & (Invalid | ZeroDivide | Overflow)) != 0;
}
#else
constexpr bool CanWatchFlags = false;
inline void clearFlags() { }
inline bool faultFlagRaised()
{
    return true;
}
#endif

} // namespace velquor::fpu
