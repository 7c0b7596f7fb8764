#pragma once

#include "calc/evaluation_request.h"
#include "calc/ext.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquor {

// The values of one formula at the sample positions first, first + stride, first + 2 stride, ...
// of a curve (a function graph's positions are its column offsets from the origin, a parameter
// or polar curve's the indices of its parameter values).
struct KeptSeries
{
    std::int64_t first = 0;
    std::int64_t stride = 1;
    std::vector<Ext> values;
    // What the drawer made of each value, where it keeps that too (a function graph's pixel
    // offsets): empty, or as long as values.
    std::vector<std::int64_t> offsets;

    // The kept value at `position`, or null when the series has none there.
    const Ext* find(std::int64_t position) const
    {
        const std::int64_t distance = position - first;
        if (distance < 0 || (stride != 1 && distance % stride != 0))
            return nullptr;
        const std::int64_t index = stride == 1 ? distance : distance / stride; // no division
        return index < static_cast<std::int64_t>(values.size())
            ? &values[static_cast<std::size_t>(index)]
            : nullptr;
    }

    // The values at position, position + step, ... (count of them) when the series holds
    // them one after another; null otherwise.
    const Ext* contiguous(std::int64_t position, std::int64_t step, int count) const
    {
        const std::int64_t distance = position - first;
        if (step != stride || distance < 0 || distance % stride != 0)
            return nullptr;
        const std::int64_t index = distance / stride;
        if (index + count > static_cast<std::int64_t>(values.size()))
            return nullptr;
        return values.data() + index;
    }

    // visit(i, value) for each i < count whose position + i * step the series has, in order.
    template <typename Visit>
    void visitRun(std::int64_t position, std::int64_t step, int count, Visit visit) const
    {
        if (step % stride != 0) { // rare: a run finer than the series
            for (int i = 0; i < count; ++i)
                if (const Ext* value = find(position + std::int64_t(i) * step))
                    visit(i, *value);
            return;
        }
        const std::int64_t distance = position - first;
        if (distance % stride != 0)
            return; // the run's positions all lie between the series'
        const std::int64_t advance = step / stride;
        const auto size = static_cast<std::int64_t>(values.size());
        std::int64_t index = distance / stride;
        for (int i = 0; i < count; ++i, index += advance)
            if (index >= 0 && index < size)
                visit(i, values[static_cast<std::size_t>(index)]);
    }
};

// What one curve kept of a redraw: its inputs and the series its drawer recorded (which series
// means what is the drawer's business).
struct KeptCurve
{
    std::string inputs; // empty: nothing kept
    std::vector<KeptSeries> series;

    std::size_t bytes() const;
};

// A curve's sample values from one redraw to the next. A pan, a progressive present or a
// resize leaves every value of a curve as it was (only the pixels they map to move), so a
// drawer whose inputs are what they were reads the kept values instead of evaluating again.
// The inputs are everything a value depends on: the kind of curve, its formula texts, a, b,
// the degree mode, the callable table and the sampling (the zoom of a function graph, the
// parameter range of the others). A formula that draws random numbers is never kept, nor any
// curve whose callable table holds one, since its values depend on the seed. The cache holds
// at most MaxBytes; a curve of more than MaxSamples samples is never kept.
class SampleCache
{
public:
    static constexpr std::size_t MaxBytes = 8u << 20;
    static constexpr std::int64_t MaxSamples = 65536;
    static constexpr std::size_t MaxInputBytes = 256u << 10;

    // The inputs of a curve as one text, or nothing when its values may not be kept (the
    // callable table mentions random, or the text would pass MaxInputBytes).
    // `sampling` holds the numbers that decide where the samples are.
    static std::optional<std::string> inputsOf(char kind, const EvaluationRequest& request,
        std::initializer_list<std::string_view> formulas, std::initializer_list<Ext> sampling);

    // Hands over what the curve in `slot` kept when it was drawn from the same inputs, and
    // nothing otherwise; the slot keeps nothing until keep() gives it the new values, so a
    // redraw nested in a present never reads values that are being replaced.
    KeptCurve take(int slot, const std::string& inputs);

    // What the curve in `slot` kept when it was drawn from the same inputs, left in place; null
    // otherwise. Valid until the cache changes.
    const KeptCurve* peek(int slot, const std::string& inputs) const;

    // Keeps the values of the curve drawn in `slot` (dropped when they would pass MaxBytes).
    void keep(int slot, KeptCurve curve);

    // Drops the curves of slots from `slot` on (the table has become shorter).
    void forgetFrom(int slot);
    void clear();

    std::size_t bytes() const { return m_bytes; }

private:
    std::vector<KeptCurve> m_curves; // by slot
    std::size_t m_bytes = 0;
};

// One drawer's use of the cache for one curve: the values the curve kept from the last redraw
// (none when its inputs differ or nothing was kept) and the series it records of this one,
// which the cache keeps only when the drawer reaches the end of the curve.
class CurveKeeping
{
public:
    // Inactive (nothing read, nothing recorded) when `cache` is null, `inputs` is empty or the
    // curve has more than MaxSamples samples.
    CurveKeeping(SampleCache* cache, int slot, std::optional<std::string> inputs,
        std::int64_t samples, std::size_t seriesCount);

    bool active() const { return m_cache != nullptr; }
    // Series `index` of what the curve kept, or null.
    const KeptSeries* kept(std::size_t index) const;
    // Where series `index` of this redraw is recorded, or null when inactive.
    KeptSeries* record(std::size_t index);
    // Series `index` of this redraw is what the curve kept there before (after the last read).
    void keepEarlier(std::size_t index);
    // Every series was kept from the same inputs. A curve whose sample positions do not move
    // with the view (a parameter or polar curve) would then record just what it kept: it keeps
    // that again with keepAllEarlier() instead.
    bool keptAll() const;
    void keepAllEarlier();
    // The curve was drawn to its end: what was recorded is kept for the next redraw.
    void commit();

private:
    SampleCache* m_cache = nullptr;
    int m_slot = -1;
    std::int64_t m_samples = 0;
    KeptCurve m_kept;
    KeptCurve m_next;
};

} // namespace velquor
