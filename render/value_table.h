#pragma once

#include "calc/ext.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velquor {

class CompiledFormula;
class Document;
struct GraphEntry;

inline constexpr std::int64_t MaxValueTableRows = 100'000;

// The value table's messages for a range it refuses.
inline constexpr std::string_view ValueTableStepMessage
    = "刻み幅には0より大きい数を指定してください";
inline constexpr std::string_view ValueTableOrderMessage = "終了値が開始値より小さくなっています";
inline constexpr std::string_view ValueTableRowsMessage
    = "行数が100000行を超えます。範囲を狭くするか刻み幅を大きくしてください";
// The cell of a point without value.
inline constexpr std::string_view NoValueText = "値なし";

// The rows start + i * step for i = 0 .. rows - 1, the last at most end (up to rounding).
struct ValueTableRange
{
    Ext start = 0;
    Ext end = 0;
    Ext step = 0;
    std::int64_t rows = 0;
};

// The range of the three texts the user typed, in the locale's decimal format. Throws Error with
// the system's message when a text is not a number, the step is 0 or negative, the end lies
// below the start, or the rows would be more than 100,000.
ValueTableRange ReadValueTableRange(
    std::string_view start, std::string_view end, std::string_view step, char decimalPoint);

// The texts the dialog starts with: a function graph's visible x range (columns 0 to width),
// another curve's parameter range (as typed in the entry), in 20 rows.
struct ValueTableTexts
{
    std::string start;
    std::string end;
    std::string step;
};
ValueTableTexts DefaultValueTableTexts(
    const Document& document, const GraphEntry& entry, int width, char decimalPoint);

// The values of one graph over a range, computed a batch of rows at a time so that a window can
// stay responsive: a function graph's x and y, a parameter curve's t, x and y, a polar curve's s
// and r. Values come from the drawers' evaluation request; the seed of "random" is left as it
// was around each batch (the table's own sequence runs on from batch to batch).
class ValueTable
{
public:
    ValueTable(const Document& document, const GraphEntry& entry, ValueTableRange range);
    ~ValueTable();

    std::int64_t rowCount() const { return m_range.rows; }
    std::int64_t computedRows() const { return static_cast<std::int64_t>(m_parameters.size()); }
    bool complete() const { return computedRows() == rowCount(); }
    // Computes up to `count` further rows; returns how many it computed.
    std::int64_t computeMore(std::int64_t count);

    // "x", "y" / "t", "x", "y" / "s", "r".
    const std::vector<std::string>& headers() const { return m_headers; }
    int columnCount() const { return static_cast<int>(m_headers.size()); }
    // A computed row's cell in the 15-digit number format, or "値なし".
    std::string cell(std::int64_t row, int column, char decimalPoint) const;

    // Every row (all computed first), tab-separated, one line each, with a header line;
    // lines end with "\n".
    std::string tabSeparatedText(char decimalPoint);
    // The same as CSV (UTF-8, header row, "." as the decimal point, CR LF line ends).
    std::string csvText();

private:
    std::string joined(char separator, char decimalPoint, std::string_view lineEnd);

    ValueTableRange m_range;
    std::vector<std::string> m_headers;
    bool m_twoFormulas = false; // a parameter curve: y = formula1(t), x = formula2(t)
    std::unique_ptr<CompiledFormula> m_first;
    std::unique_ptr<CompiledFormula> m_second;
    std::uint32_t m_seed = 0; // the table's own "random" sequence
    std::vector<Ext> m_parameters;
    std::vector<Ext> m_firstValues; // y (function), y (parameter: formula1), r (polar)
    std::vector<Ext> m_secondValues; // x of a parameter curve (formula2)
};

} // namespace velquor
