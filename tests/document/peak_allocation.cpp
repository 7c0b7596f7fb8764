#include "peak_allocation.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> held { 0 };
std::atomic<std::size_t> peak { 0 };

} // namespace

// Every allocation of the executable passes here; the usable size is what malloc gave, so that
// the count stays right for deletes that do not say the size.
void* operator new(std::size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    const std::size_t now = held += malloc_usable_size(block);
    std::size_t highest = peak.load();
    while (now > highest && !peak.compare_exchange_weak(highest, now)) { }
    return block;
}

void operator delete(void* block) noexcept
{
    if (block == nullptr)
        return;
    held -= malloc_usable_size(block);
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

namespace velquor::test {

std::size_t peakAllocation(const std::function<void()>& body)
{
    const std::size_t before = held.load();
    peak = before;
    body();
    return peak.load() - before;
}

} // namespace velquor::test
