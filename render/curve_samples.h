#pragma once

#include "calc/evaluation_request.h"
#include "calc/compiled_formula.h"
#include "calc/ext.h"
#include "render/redraw_work.h"
#include "render/sample_cache.h"

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace velquor {

// The formula of one curve, compiled once, giving the values of the curve's samples a run at a
// time. A formula without side effects is evaluated for the whole run before it is drawn; one
// that draws random numbers is evaluated as each sample is asked for, so that the sequence of
// random numbers stays the literal one even when drawing stops part way (an error while
// presenting) or another formula is evaluated between samples. With a work bound, every value
// asked for is charged its evaluation's work, and the sample that passes the bound throws
// Error instead of giving its value; samples beyond what the bound allows are not evaluated.
// Values kept from an earlier redraw of the same inputs are read instead of evaluated, and
// charged as if they were: the bound ends a curve at the same sample either way.
class CurveFormula
{
public:
    static constexpr int RunLength = CompiledFormula::BatchSize;

    // With a work bound, the compilation is charged to it (and throws Error when it passes).
    explicit CurveFormula(const EvaluationRequest& request, RedrawWork* work = nullptr)
        : m_formula(request)
        , m_ahead(!m_formula.usesRandom())
        , m_work(work)
    {
        if (m_work)
            m_work->charge(m_formula.compileWork());
    }

    // False when the values depend on more than x (the seed of "random"): they are never
    // kept nor read from an earlier redraw.
    bool keepable() const { return m_ahead; }

    // From now on, the values found in `kept` (in this order; null entries, as CurveKeeping
    // gives for series it has not kept, are skipped) are
    // read instead of evaluated, and every value of a run goes to the end of `record` (null:
    // nowhere). Both must stay valid while runs are started. Ignored when !keepable().
    void useKept(std::initializer_list<const KeptSeries*> kept, KeptSeries* record)
    {
        if (!m_ahead)
            return;
        m_kept.clear();
        for (const KeptSeries* series : kept)
            if (series)
                m_kept.push_back(series);
        m_record = record;
    }

    // Starts a run of count <= RunLength samples at the sample positions position,
    // position + stride, ...; xAt(i) gives the x of sample i, and is asked only for the
    // samples that are evaluated.
    template <std::invocable<int> XAt>
    void startRun(XAt xAt, int count, std::int64_t position = 0, std::int64_t stride = 1)
    {
        if (!m_ahead) {
            for (int i = 0; i < count; ++i)
                m_xs[static_cast<std::size_t>(i)] = xAt(i);
            return;
        }
        if (m_work) { // the samples the bound cannot pay for are never asked for
            const std::uint64_t each = std::max<std::uint64_t>(1, m_formula.sampleWork());
            count = static_cast<int>(std::min<std::uint64_t>(
                static_cast<std::uint64_t>(count), m_work->curveLeft() / each));
        }
        if (!readKeptRun(count, position, stride))
            evaluateMissing(xAt, count, position, stride);
        m_runCount = count;
        // What each value of the run is charged: the work of the last evaluation, as when the
        // run's values are read one by one.
        m_runWork = m_formula.sampleWork();
        if (m_record) {
            if (m_record->values.empty()) {
                m_record->first = position;
                m_record->stride = stride;
            }
            m_record->values.insert(m_record->values.end(), m_run, m_run + count);
        }
    }

    // The same for the samples at xs[0 .. count - 1].
    void startRun(const Ext* xs, int count, std::int64_t position = 0, std::int64_t stride = 1)
    {
        startRun([xs](int i) { return xs[i]; }, count, position, stride);
    }

    // All values of the run, when they were evaluated (or read) as it started; null when they
    // are evaluated as they are asked for. Reading them here charges nothing: value() still
    // does, sample by sample.
    const Ext* runValues() const { return m_ahead ? m_run : nullptr; }
    // How many of them there are: fewer than the run's samples when the work bound ends the
    // curve within the run.
    int runCount() const { return m_runCount; }
    // The kept series the whole run was read from, and the index of its first value there;
    // null when the run was evaluated, in whole or in part.
    const KeptSeries* runSeries() const { return m_runSeries; }
    std::ptrdiff_t runIndex() const { return m_runIndex; }

    // The value at sample `index` of the run; samples are asked for in order. A reference into
    // the run's values, valid until the next run starts or value is called again: the drawers
    // read it straight from where the run put it, which is faster than a copy of a value just
    // stored.
    const Ext& value(int index)
    {
        if (m_ahead) {
            if (m_work)
                m_work->charge(m_runWork);
            return m_run[index];
        }
        if (m_work && m_work->curveLeft() == 0)
            m_work->charge(1); // spent: throws before evaluating
        Ext& value = m_values[static_cast<std::size_t>(index)];
        value = m_formula.evaluate(m_xs[static_cast<std::size_t>(index)]);
        if (m_work) {
            m_work->noteEvaluated(1);
            m_work->charge(m_formula.sampleWork());
        }
        return value;
    }

private:
    // Points the run at its values where one kept series has them all, one after another (read
    // there, not copied); false otherwise, and the run is m_values. Values kept from the same
    // inputs at the same position are the same in every series.
    bool readKeptRun(int count, std::int64_t position, std::int64_t stride)
    {
        for (const KeptSeries* series : m_kept)
            if (const Ext* values = series->contiguous(position, stride, count)) {
                m_run = values;
                m_runSeries = series;
                m_runIndex = values - series->values.data();
                return true;
            }
        m_run = m_values.data();
        m_runSeries = nullptr;
        return false;
    }

    // The run's values from the kept series where they have them; the others evaluated
    // together.
    template <typename XAt>
    void evaluateMissing(XAt xAt, int count, std::int64_t position, std::int64_t stride)
    {
        std::array<bool, RunLength> found {};
        int foundCount = 0;
        for (const KeptSeries* series : m_kept) {
            if (foundCount == count)
                break;
            series->visitRun(position, stride, count, [&](int i, const Ext& value) {
                if (found[static_cast<std::size_t>(i)])
                    return;
                found[static_cast<std::size_t>(i)] = true;
                // Copied as bytes: a copy through the floating-point unit costs more.
                std::memcpy(&m_values[static_cast<std::size_t>(i)], &value, sizeof value);
                ++foundCount;
            });
        }
        if (foundCount == 0) {
            for (int i = 0; i < count; ++i)
                m_xs[static_cast<std::size_t>(i)] = xAt(i);
            evaluateAt(m_xs.data(), m_values.data(), count);
            return;
        }
        int missing = 0;
        for (int i = 0; i < count && foundCount + missing < count; ++i) {
            if (found[static_cast<std::size_t>(i)])
                continue;
            m_xs[static_cast<std::size_t>(missing)] = xAt(i);
            m_missingAt[static_cast<std::size_t>(missing)] = i;
            ++missing;
        }
        if (missing == 0)
            return;
        evaluateAt(m_xs.data(), m_missingValues.data(), missing);
        for (int k = 0; k < missing; ++k)
            m_values[static_cast<std::size_t>(m_missingAt[static_cast<std::size_t>(k)])]
                = m_missingValues[static_cast<std::size_t>(k)];
    }

    void evaluateAt(const Ext* xs, Ext* values, int count)
    {
        m_formula.evaluate(xs, values, static_cast<std::size_t>(count));
        if (m_work)
            m_work->noteEvaluated(static_cast<std::uint64_t>(count));
    }

    CompiledFormula m_formula;
    bool m_ahead;
    RedrawWork* m_work;
    std::uint64_t m_runWork = 0;
    int m_runCount = 0;
    std::array<Ext, RunLength> m_xs; // of the run's samples, or of those evaluated
    std::array<Ext, RunLength> m_values;
    const Ext* m_run = m_values.data(); // the run's values: m_values or a kept series
    const KeptSeries* m_runSeries = nullptr;
    std::ptrdiff_t m_runIndex = 0;
    std::vector<const KeptSeries*> m_kept;
    KeptSeries* m_record = nullptr;
    std::array<Ext, RunLength> m_missingValues;
    std::array<int, RunLength> m_missingAt;
};

} // namespace velquor
