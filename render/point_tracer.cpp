#include "render/point_tracer.h"

#include "calc/compiled_formula.h"
#include "calc/differentiated_formula.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/ext_math.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/draw_context.h"
#include "render/kept_random_seed.h"
#include "render/parameter_range.h"
#include "render/view_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velquor {
namespace {

    bool isCurve(const GraphEntry& entry)
    {
        const auto kind = static_cast<GraphKind>(entry.kind);
        return entry.deleted == 0
            && (kind == GraphKind::Function || kind == GraphKind::Parametric
                || kind == GraphKind::Polar);
    }

    // "name" = "value" in the 15-digit number format.
    std::string coordinate(const char* name, Ext value, char decimalPoint)
    {
        return std::string("  ") + name + " = " + FormatNumber(value, decimalPoint);
    }

    // "傾き" = the slope in the 15-digit number format, or "値なし".
    std::string slopeText(const TracedPoint& point, char decimalPoint)
    {
        if (!point.slope)
            return "  傾き = 値なし";
        return coordinate("傾き", *point.slope, decimalPoint);
    }

} // namespace

PointTracer::PointTracer(const Document& document)
    : m_document(document)
{
}

PointTracer::~PointTracer() = default;

void PointTracer::setView(int width, int height, char decimalPoint)
{
    m_width = width;
    m_height = height;
    m_decimalPoint = decimalPoint;
}

bool PointTracer::isFunctionGraph() const
{
    return m_document.entry(m_slot).kind == static_cast<std::int32_t>(GraphKind::Function);
}

Ext PointTracer::zoom() const
{
    if (m_document.Zoom == 0)
        throwDivisionByZero();
    return m_document.Zoom;
}

void PointTracer::follow(int slot)
{
    m_slot = slot >= 0 && slot < m_document.graphCount() ? slot : -1;
    m_point.reset();
    m_formula.reset();
    m_samples.clear();
    m_sampleIndex = 0;
    if (m_slot < 0)
        return;
    if (m_document.Zoom != 0)
        m_x = Ext(std::int64_t(m_width / 2) - m_document.CX) / Ext(m_document.Zoom);
    refresh();
}

void PointTracer::refresh()
{
    m_point.reset();
    m_formula.reset();
    m_samples.clear();
    m_vertical.reset();
    m_horizontal.reset();
    m_hidden = false;
    if (m_slot < 0 || m_slot >= m_document.graphCount())
        return;
    const GraphEntry& entry = m_document.entry(m_slot);
    if (!isCurve(entry))
        return;
    if (entry.visible == 0) {
        m_hidden = true;
        return;
    }
    try {
        if (isFunctionGraph()) {
            EvaluationRequest request = buildRequest(m_document, entry);
            request.formula = entry.formula1;
            m_formula = std::make_unique<DifferentiatedFormula>(request);
            computeFunctionPoint();
        } else {
            takeSamples();
            computeSamplePoint();
        }
    } catch (const Error&) {
        // A setting that does not convert: the drawer fails on it too, and nothing is traced.
        m_point.reset();
        m_formula.reset();
        m_samples.clear();
        m_vertical.reset();
        m_horizontal.reset();
    }
}

void PointTracer::takeSamples()
{
    const GraphEntry& entry = m_document.entry(m_slot);
    const auto range = readParameterRange(entry, m_decimalPoint);
    if (!range || range->count == 0)
        return;
    EvaluationRequest request = buildRequest(m_document, entry);
    request.formula = entry.formula1;
    const bool polar = entry.kind == static_cast<std::int32_t>(GraphKind::Polar);
    std::vector<Ext> parameters(static_cast<std::size_t>(range->count));
    for (std::size_t i = 0; i < parameters.size(); ++i)
        parameters[i] = range->at(std::int64_t(i));
    std::vector<Ext> first(parameters.size());
    std::vector<Ext> second(parameters.size(), 0);
    {
        const KeptRandomSeed keptSeed;
        // The drawer evaluates formula1 then formula2 for each sample; so does this, when the
        // order matters (random numbers).
        CompiledFormula vertical(request);
        std::unique_ptr<CompiledFormula> horizontal;
        if (!polar) {
            request.formula = entry.formula2;
            horizontal = std::make_unique<CompiledFormula>(request);
        }
        if (horizontal && (vertical.usesRandom() || horizontal->usesRandom())) {
            for (std::size_t i = 0; i < parameters.size(); ++i) {
                first[i] = vertical.evaluate(parameters[i]);
                second[i] = horizontal->evaluate(parameters[i]);
            }
        } else {
            vertical.evaluate(parameters.data(), first.data(), parameters.size());
            if (horizontal)
                horizontal->evaluate(parameters.data(), second.data(), parameters.size());
        }
    }
    request.formula = entry.formula1;
    m_vertical = std::make_unique<DifferentiatedFormula>(request);
    if (!polar) {
        request.formula = entry.formula2;
        m_horizontal = std::make_unique<DifferentiatedFormula>(request);
    }
    m_samples.resize(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        Sample& sample = m_samples[i];
        sample.parameter = parameters[i];
        if (polar) {
            sample.hasValue = first[i] != NoValue;
            sample.radius = first[i];
            if (sample.hasValue)
                PolarToXY(sample.y, sample.x, first[i], parameters[i]);
        } else {
            sample.hasValue = first[i] != NoValue && second[i] != NoValue;
            sample.y = first[i];
            sample.x = second[i];
        }
    }
    m_sampleIndex = std::min(m_sampleIndex, m_samples.size() - 1);
}

void PointTracer::computeFunctionPoint()
{
    if (!m_formula)
        return;
    TracedPoint point;
    point.parameter = m_x;
    point.x = m_x;
    {
        const KeptRandomSeed keptSeed;
        const ValueAndSlope result = m_formula->evaluate(m_x);
        point.y = result.value;
        if (result.hasSlope)
            point.slope = result.slope;
    }
    point.hasValue = point.y != NoValue;
    if (!point.hasValue)
        point.slope.reset();
    m_point = point;
    placeMarker();
}

void PointTracer::computeSamplePoint()
{
    if (m_samples.empty())
        return;
    const Sample& sample = m_samples[m_sampleIndex];
    TracedPoint point;
    point.parameter = sample.parameter;
    point.hasValue = sample.hasValue;
    point.x = sample.x;
    point.y = sample.y;
    point.radius = sample.radius;
    if (point.hasValue)
        point.slope = sampleSlope(sample.parameter);
    m_point = point;
    placeMarker();
}

std::optional<Ext> PointTracer::sampleSlope(Ext parameter)
{
    if (!m_vertical)
        return std::nullopt;
    const KeptRandomSeed keptSeed;
    const ValueAndSlope first = m_vertical->evaluate(parameter);
    Ext dy = 0;
    Ext dx = 0;
    if (m_horizontal) { // y = formula1(t), x = formula2(t)
        const ValueAndSlope second = m_horizontal->evaluate(parameter);
        if (!first.hasSlope || !second.hasSlope)
            return std::nullopt;
        dy = first.slope;
        dx = second.slope;
    } else { // r = formula1(s): y = r sin s, x = r cos s
        if (!first.hasSlope)
            return std::nullopt;
        const Ext sine = SinExt(parameter);
        const Ext cosine = CosExt(parameter);
        dy = first.slope * sine + first.value * cosine;
        dx = first.slope * cosine - first.value * sine;
    }
    if (dx == 0)
        return std::nullopt; // a vertical tangent, or none
    const Ext slope = dy / dx;
    if (!std::isfinite(slope))
        return std::nullopt;
    return slope;
}

void PointTracer::placeMarker()
{
    TracedPoint& point = *m_point;
    point.column.reset();
    point.row.reset();
    if (!point.hasValue)
        return;
    const Ext ratio = StrToFloat(m_document.settings().ratio, m_decimalPoint);
    const auto dx = horizontalOffset(point.x, zoom());
    const auto dy = verticalOffset(point.y, zoom(), ratio);
    if (dx)
        point.column = surfaceCoordinate(m_document.CX, *dx);
    if (dy)
        point.row = surfaceCoordinate(m_document.CY, *dy);
    if (!point.column || !point.row) {
        point.column.reset();
        point.row.reset();
    }
}

void PointTracer::moveToMouse(int x, int y)
{
    if (m_slot < 0 || (!m_formula && m_samples.empty()))
        return;
    try {
        if (m_formula) {
            m_x = Ext(std::int64_t(x) - m_document.CX) / zoom();
            computeFunctionPoint();
            return;
        }
        const Ext ratio = StrToFloat(m_document.settings().ratio, m_decimalPoint);
        Ext best = std::numeric_limits<Ext>::infinity();
        for (std::size_t i = 0; i < m_samples.size(); ++i) {
            const Sample& sample = m_samples[i];
            if (!sample.hasValue)
                continue;
            const Ext dx = Ext(m_document.CX) + sample.x * zoom() - Ext(x);
            const Ext dy = Ext(m_document.CY) - sample.y * zoom() * ratio - Ext(y);
            const Ext distance = dx * dx + dy * dy;
            if (distance < best) {
                best = distance;
                m_sampleIndex = i;
            }
        }
        computeSamplePoint();
    } catch (const Error&) {
        m_point.reset();
    }
}

void PointTracer::step(int steps)
{
    if (m_slot < 0 || (!m_formula && m_samples.empty()))
        return;
    try {
        if (m_formula) {
            // From the marker's column, so that steps after moveToX land on columns again.
            const auto offset = nearest64(m_x * zoom());
            if (!offset)
                return;
            m_x = Ext(*offset + steps) / zoom();
            computeFunctionPoint();
            return;
        }
        const auto last = static_cast<std::int64_t>(m_samples.size()) - 1;
        const std::int64_t index
            = std::clamp<std::int64_t>(static_cast<std::int64_t>(m_sampleIndex) + steps, 0, last);
        m_sampleIndex = static_cast<std::size_t>(index);
        computeSamplePoint();
    } catch (const Error&) {
        m_point.reset();
    }
}

void PointTracer::moveToX(Ext x)
{
    if (!m_formula)
        return;
    m_x = x;
    try {
        computeFunctionPoint();
    } catch (const Error&) {
        m_point.reset();
    }
}

Color PointTracer::color() const
{
    return m_slot < 0 ? 0 : m_document.entry(m_slot).color;
}

std::string PointTracer::statusText() const
{
    if (m_slot < 0 || m_slot >= m_document.graphCount())
        return {};
    const GraphEntry& entry = m_document.entry(m_slot);
    if (!isCurve(entry))
        return {};
    std::string text = entry.name;
    if (m_hidden)
        return text + "  表示されていないグラフです";
    if (!m_point)
        return text + "  値なし";
    const auto kind = static_cast<GraphKind>(entry.kind);
    const TracedPoint& point = *m_point;
    if (kind == GraphKind::Function) {
        text += coordinate("x", point.x, m_decimalPoint);
        if (!point.hasValue)
            return text + "  値なし";
        return text + coordinate("y", point.y, m_decimalPoint) + slopeText(point, m_decimalPoint);
    }
    text += coordinate(kind == GraphKind::Polar ? "s" : "t", point.parameter, m_decimalPoint);
    if (!point.hasValue)
        return text + "  値なし";
    if (kind == GraphKind::Polar)
        text += coordinate("r", point.radius, m_decimalPoint);
    return text + coordinate("x", point.x, m_decimalPoint)
        + coordinate("y", point.y, m_decimalPoint) + slopeText(point, m_decimalPoint);
}

} // namespace velquor
