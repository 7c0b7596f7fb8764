#pragma once

#include <cstdint>

namespace velquor {

// The keys the full-screen keyboard navigation polls, as a set of bits.
enum Key : std::uint32_t {
    KeyLeft = 1u << 0,
    KeyRight = 1u << 1,
    KeyUp = 1u << 2,
    KeyDown = 1u << 3,
    KeyShift = 1u << 4,
    KeyZ = 1u << 5,
    KeySpace = 1u << 6,
    KeyX = 1u << 7,
    KeyEnter = 1u << 8,
};
using KeySet = std::uint32_t;

} // namespace velquor
