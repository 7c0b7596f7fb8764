#include "render/sample_cache.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace velquor {
namespace {

    // Upper and lower case are the same to the scanner, so "RanDom(x)" draws numbers too.
    bool mentionsRandom(std::string_view text)
    {
        constexpr std::string_view Name = "random";
        for (std::size_t start = 0; start + Name.size() <= text.size(); ++start) {
            std::size_t matched = 0;
            while (matched < Name.size()
                && std::tolower(static_cast<unsigned char>(text[start + matched]))
                    == Name[matched])
                ++matched;
            if (matched == Name.size())
                return true;
        }
        return false;
    }

    // The bytes of the number's format (ten of the x87 format's sixteen): NaN payloads and the
    // sign of zero count as well.
    constexpr std::size_t NumberBytes = std::numeric_limits<Ext>::digits == 64 ? 10 : sizeof(Ext);

    void appendNumber(std::string& inputs, Ext value)
    {
        char bytes[sizeof(Ext)] = {};
        std::memcpy(bytes, &value, sizeof(Ext));
        inputs.append(bytes, NumberBytes);
    }

    // Length first, so that no two lists of texts give the same bytes.
    void appendText(std::string& inputs, std::string_view text)
    {
        appendNumber(inputs, Ext(text.size()));
        inputs.append(text);
    }

} // namespace

std::size_t KeptCurve::bytes() const
{
    std::size_t total = inputs.size() + series.capacity() * sizeof(KeptSeries);
    for (const KeptSeries& s : series)
        total += s.values.capacity() * sizeof(Ext) + s.offsets.capacity() * sizeof(std::int64_t);
    return total;
}

std::optional<std::string> SampleCache::inputsOf(char kind, const EvaluationRequest& request,
    std::initializer_list<std::string_view> formulas, std::initializer_list<Ext> sampling)
{
    std::size_t size = 64 + 16 * (formulas.size() + sampling.size());
    for (std::string_view f : formulas)
        size += f.size();
    const auto callables = static_cast<std::size_t>(std::clamp(request.funcCount, 0, MaxCallableFormulas));
    for (std::size_t i = 0; i < callables; ++i)
        size += 32 + request.funcNames[i].size() + request.funcFormulas[i].size();
    if (size > MaxInputBytes)
        return std::nullopt;
    // The drawn formulas' own use of random (also through the graphs they call) is the
    // drawer's check (CurveFormula::keepable); a table entry that is never called is left out
    // of that, and kept out of the cache all the same.
    for (std::size_t i = 0; i < callables; ++i)
        if (mentionsRandom(request.funcFormulas[i]))
            return std::nullopt;

    std::string inputs;
    inputs.reserve(size);
    inputs.push_back(kind);
    for (std::string_view f : formulas)
        appendText(inputs, f);
    appendNumber(inputs, request.a);
    appendNumber(inputs, request.b);
    inputs.push_back(request.degreeMode != 0 ? 'd' : 'r');
    appendNumber(inputs, Ext(callables));
    for (std::size_t i = 0; i < callables; ++i) {
        appendText(inputs, request.funcNames[i]);
        appendText(inputs, request.funcFormulas[i]);
    }
    for (Ext number : sampling)
        appendNumber(inputs, number);
    return inputs;
}

KeptCurve SampleCache::take(int slot, const std::string& inputs)
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= m_curves.size())
        return {};
    KeptCurve& kept = m_curves[static_cast<std::size_t>(slot)];
    KeptCurve taken;
    std::swap(taken, kept);
    m_bytes -= taken.bytes();
    if (taken.inputs != inputs)
        return {};
    return taken;
}

const KeptCurve* SampleCache::peek(int slot, const std::string& inputs) const
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= m_curves.size())
        return nullptr;
    const KeptCurve& kept = m_curves[static_cast<std::size_t>(slot)];
    return !kept.inputs.empty() && kept.inputs == inputs ? &kept : nullptr;
}

void SampleCache::keep(int slot, KeptCurve curve)
{
    if (slot < 0 || curve.inputs.empty())
        return;
    const auto index = static_cast<std::size_t>(slot);
    if (index >= m_curves.size())
        m_curves.resize(index + 1);
    KeptCurve& kept = m_curves[index];
    m_bytes -= kept.bytes();
    kept = KeptCurve {};
    const std::size_t size = curve.bytes();
    if (m_bytes + size > MaxBytes)
        return;
    kept = std::move(curve);
    m_bytes += size;
}

void SampleCache::forgetFrom(int slot)
{
    const auto from = static_cast<std::size_t>(std::max(slot, 0));
    for (std::size_t i = from; i < m_curves.size(); ++i)
        m_bytes -= m_curves[i].bytes();
    if (from < m_curves.size())
        m_curves.resize(from);
}

void SampleCache::clear()
{
    m_curves.clear();
    m_bytes = 0;
}

CurveKeeping::CurveKeeping(SampleCache* cache, int slot, std::optional<std::string> inputs,
    std::int64_t samples, std::size_t seriesCount)
{
    if (!cache || !inputs || inputs->empty() || samples > SampleCache::MaxSamples || samples < 0)
        return;
    m_cache = cache;
    m_slot = slot;
    m_samples = samples;
    m_kept = cache->take(slot, *inputs);
    m_next.inputs = std::move(*inputs);
    m_next.series.resize(seriesCount);
}

const KeptSeries* CurveKeeping::kept(std::size_t index) const
{
    return index < m_kept.series.size() && !m_kept.series[index].values.empty()
        ? &m_kept.series[index]
        : nullptr;
}

void CurveKeeping::keepEarlier(std::size_t index)
{
    if (m_cache && index < m_kept.series.size() && index < m_next.series.size())
        m_next.series[index] = std::move(m_kept.series[index]);
}

KeptSeries* CurveKeeping::record(std::size_t index)
{
    if (!m_cache || index >= m_next.series.size())
        return nullptr;
    KeptSeries& series = m_next.series[index];
    // Room for every sample at once: a series that grew in steps would be copied again when
    // it is kept.
    series.values.reserve(static_cast<std::size_t>(m_samples));
    return &series;
}

bool CurveKeeping::keptAll() const
{
    if (!m_cache || m_kept.series.size() != m_next.series.size())
        return false;
    for (std::size_t index = 0; index < m_kept.series.size(); ++index)
        if (!kept(index))
            return false;
    return true;
}

void CurveKeeping::keepAllEarlier()
{
    for (std::size_t index = 0; index < m_next.series.size(); ++index)
        keepEarlier(index);
}

void CurveKeeping::commit()
{
    if (!m_cache)
        return;
    for (KeptSeries& series : m_next.series)
        series.values.shrink_to_fit();
    m_cache->keep(m_slot, std::move(m_next));
    m_cache = nullptr;
}

} // namespace velquor
