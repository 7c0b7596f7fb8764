#pragma once

#include "calc/evaluate.h"

#include <cstdint>

namespace velquor {

// Keeps the seed of "random" as it was while reading values off the curves (the tracer, the
// analysis, the value table): what they evaluate must not change the numbers the next redraw
// draws. The seed is restored when the keeper goes out of scope.
class KeptRandomSeed
{
public:
    KeptRandomSeed()
        : m_seed(randomSeed())
    {
    }
    ~KeptRandomSeed() { setRandomSeed(m_seed); }
    KeptRandomSeed(const KeptRandomSeed&) = delete;
    KeptRandomSeed& operator=(const KeptRandomSeed&) = delete;

private:
    std::uint32_t m_seed;
};

} // namespace velquor
