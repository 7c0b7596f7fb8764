#include "render/value_table.h"

#include "calc/compiled_formula.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/draw_context.h"
#include "render/kept_random_seed.h"

#include <algorithm>
#include <cmath>

namespace velquor {
namespace {

    constexpr int DefaultRows = 20;

    // A quotient this close below a whole number counts as that number: a step typed with 15
    // digits seldom divides the range exactly, and the user means the last row to be the end.
    constexpr Ext RowTolerance = 1e-12L;

} // namespace

ValueTableRange ReadValueTableRange(
    std::string_view start, std::string_view end, std::string_view step, char decimalPoint)
{
    ValueTableRange range;
    range.start = StrToFloat(start, decimalPoint);
    range.end = StrToFloat(end, decimalPoint);
    range.step = StrToFloat(step, decimalPoint);
    if (!(range.step > 0))
        throw Error(std::string(ValueTableStepMessage));
    if (range.end < range.start)
        throw Error(std::string(ValueTableOrderMessage));
    const Ext intervals = (range.end - range.start) / range.step;
    const Ext whole = std::floor(intervals * (1 + RowTolerance) + RowTolerance);
    if (!std::isfinite(whole) || whole + 1 > Ext(MaxValueTableRows))
        throw Error(std::string(ValueTableRowsMessage));
    range.rows = static_cast<std::int64_t>(whole) + 1;
    return range;
}

ValueTableTexts DefaultValueTableTexts(
    const Document& document, const GraphEntry& entry, int width, char decimalPoint)
{
    Ext from = 0;
    Ext to = 0;
    ValueTableTexts texts;
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Function)) {
        if (document.Zoom == 0)
            return { "0", "19", "1" };
        from = Ext(-std::int64_t(document.CX)) / Ext(document.Zoom);
        to = Ext(std::int64_t(width) - document.CX) / Ext(document.Zoom);
        texts.start = FormatNumber(from, decimalPoint);
        texts.end = FormatNumber(to, decimalPoint);
    } else {
        texts.start = entry.rangeFrom;
        texts.end = entry.rangeTo;
        if (!TryStrToFloat(entry.rangeFrom, from, decimalPoint)
            || !TryStrToFloat(entry.rangeTo, to, decimalPoint)) {
            // The step as a value, not a literal: GCC 12 at -O3 warns falsely on the literal.
            texts.step = FormatNumber(1, decimalPoint);
            return texts;
        }
    }
    const Ext span = to - from;
    if (span > 0 && std::isfinite(span))
        texts.step = FormatNumber(span / (DefaultRows - 1), decimalPoint);
    else
        texts.step = FormatNumber(1, decimalPoint);
    return texts;
}

ValueTable::ValueTable(const Document& document, const GraphEntry& entry, ValueTableRange range)
    : m_range(range)
    , m_seed(randomSeed())
{
    EvaluationRequest request = buildRequest(document, entry);
    request.formula = entry.formula1;
    m_first = std::make_unique<CompiledFormula>(request);
    switch (static_cast<GraphKind>(entry.kind)) {
    case GraphKind::Parametric:
        m_headers = { "t", "x", "y" };
        m_twoFormulas = true;
        request.formula = entry.formula2;
        m_second = std::make_unique<CompiledFormula>(request);
        break;
    case GraphKind::Polar:
        m_headers = { "s", "r" };
        break;
    default:
        m_headers = { "x", "y" };
        break;
    }
    const auto reserved = static_cast<std::size_t>(std::max<std::int64_t>(range.rows, 0));
    m_parameters.reserve(reserved);
    m_firstValues.reserve(reserved);
    if (m_twoFormulas)
        m_secondValues.reserve(reserved);
}

ValueTable::~ValueTable() = default;

std::int64_t ValueTable::computeMore(std::int64_t count)
{
    const std::int64_t first = computedRows();
    const std::int64_t last = std::min(rowCount(), first + std::max<std::int64_t>(count, 0));
    if (last <= first)
        return 0;
    const KeptRandomSeed keptSeed;
    setRandomSeed(m_seed);
    const auto begin = static_cast<std::size_t>(first);
    const auto size = static_cast<std::size_t>(last - first);
    for (std::int64_t row = first; row < last; ++row)
        m_parameters.push_back(m_range.start + Ext(row) * m_range.step);
    m_firstValues.resize(begin + size);
    const bool interleaved = m_twoFormulas && (m_first->usesRandom() || m_second->usesRandom());
    if (interleaved) {
        // As the drawer does: formula1 then formula2 for each parameter.
        m_secondValues.resize(begin + size);
        for (std::size_t i = begin; i < begin + size; ++i) {
            m_firstValues[i] = m_first->evaluate(m_parameters[i]);
            m_secondValues[i] = m_second->evaluate(m_parameters[i]);
        }
    } else {
        m_first->evaluate(&m_parameters[begin], &m_firstValues[begin], size);
        if (m_twoFormulas) {
            m_secondValues.resize(begin + size);
            m_second->evaluate(&m_parameters[begin], &m_secondValues[begin], size);
        }
    }
    m_seed = randomSeed();
    return last - first;
}

std::string ValueTable::cell(std::int64_t row, int column, char decimalPoint) const
{
    const auto index = static_cast<std::size_t>(row);
    Ext value = m_parameters.at(index);
    if (column == 1)
        value = m_twoFormulas ? m_secondValues.at(index) : m_firstValues.at(index);
    else if (column == 2)
        value = m_firstValues.at(index);
    if (column > 0 && value == NoValue)
        return std::string(NoValueText);
    return FormatNumber(value, decimalPoint);
}

std::string ValueTable::joined(char separator, char decimalPoint, std::string_view lineEnd)
{
    while (!complete())
        computeMore(MaxValueTableRows);
    std::string text;
    for (int column = 0; column < columnCount(); ++column) {
        if (column > 0)
            text += separator;
        text += m_headers[static_cast<std::size_t>(column)];
    }
    text += lineEnd;
    for (std::int64_t row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            if (column > 0)
                text += separator;
            text += cell(row, column, decimalPoint);
        }
        text += lineEnd;
    }
    return text;
}

std::string ValueTable::tabSeparatedText(char decimalPoint)
{
    return joined('\t', decimalPoint, "\n");
}

std::string ValueTable::csvText()
{
    return joined(',', '.', "\r\n");
}

} // namespace velquor
