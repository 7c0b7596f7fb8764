// The memory of drawing does not grow with the number of samples: the allocations made during
// a redraw onto a surface that counts its calls without keeping them are measured by replacing
// the global operator new of this test program.

#include "document/document.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <malloc.h>
#include <new>
#include <string>

namespace {

std::atomic<long long> allocatedBytes { 0 };
std::atomic<long long> peakBytes { 0 };

void* allocate(std::size_t size)
{
    void* pointer = std::malloc(size == 0 ? 1 : size);
    if (!pointer)
        throw std::bad_alloc();
    const long long now
        = allocatedBytes += static_cast<long long>(malloc_usable_size(pointer));
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) { }
    return pointer;
}

void release(void* pointer)
{
    if (!pointer)
        return;
    allocatedBytes -= static_cast<long long>(malloc_usable_size(pointer));
    std::free(pointer);
}

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void* pointer) noexcept
{
    release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    release(pointer);
}
// The library's temporary buffers come from the nothrow forms: they must take the same way, or
// the plain delete above would free what another allocator handed out.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept
{
    release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept
{
    release(pointer);
}

namespace velquor {
namespace {

    struct Measured
    {
        long long peakGrowth = 0; // bytes above what was allocated when the redraw began
        long long calls = 0; // trace lines the surface was handed
    };

    // One redraw of a parameter curve and a polar curve of `divisions` divisions each.
    Measured redrawWithDivisions(std::int32_t divisions)
    {
        Document document;
        document.CX = 222;
        document.CY = 182;
        long long calls = 0;
        RecordingSurface surface(445, 364, [&calls](std::string_view) { ++calls; });
        PlotView view(document, surface);
        for (const auto kind : { GraphKind::Parametric, GraphKind::Polar }) {
            GraphEntry entry;
            entry.name = "curve";
            entry.visible = -1;
            entry.kind = static_cast<std::int32_t>(kind);
            entry.width = 1;
            entry.formula1 = "sin(3t)";
            entry.formula2 = "cos(2t)";
            entry.divisions = divisions;
            entry.rangeFrom = "0";
            entry.rangeTo = "6.28";
            document.appendEntry(entry);
        }
        const long long before = allocatedBytes.load();
        peakBytes = before;
        view.RedrawPlot();
        return { peakBytes.load() - before, calls };
    }

    TEST(DrawingMemory, DoesNotGrowWithTheNumberOfSamples)
    {
        const Measured few = redrawWithDivisions(1'000);
        const Measured many = redrawWithDivisions(100'000);
        // Every sample is drawn as a line: the counting surface saw them all.
        EXPECT_GE(many.calls - few.calls, 2 * (100'000 - 1'000));
        EXPECT_GT(few.peakGrowth, 0); // the meter sees the compiled formulas
        // A kept trace would grow by megabytes; the heap's own slack is a few hundred bytes.
        EXPECT_LE(many.peakGrowth, few.peakGrowth + 4096);
    }

    // The recording surface with a sink keeps nothing, whatever it is handed.
    TEST(DrawingMemory, RecordingSurfaceWithASinkKeepsNoTrace)
    {
        long long bytes = 0;
        RecordingSurface surface(10, 10, [&bytes](std::string_view line) { bytes += line.size(); });
        for (int i = 0; i < 10'000; ++i)
            surface.canvas().lineTo(i, -i);
        surface.canvas().textOut(0, 0, "描画");
        EXPECT_TRUE(surface.trace().empty());
        long long expected = std::string("text 0 0 描画\n").size();
        for (int i = 0; i < 10'000; ++i)
            expected += ("line " + std::to_string(i) + " " + std::to_string(-i) + "\n").size();
        EXPECT_EQ(bytes, expected);
    }

} // namespace
} // namespace velquor
