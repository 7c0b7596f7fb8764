#pragma once

#include "calc/ext.h"
#include "render/graph_analysis.h"

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;
class QTableWidget;

namespace velquor {

class Document;

// "解析": the zeros, extrema and intersections of one function graph on the visible range, as a
// table of the kind, x and y (15 significant digits) and the other graph of an intersection.
// A double click on a row hands its x to `pointChosen` (the curve tracer goes there).
class AnalysisDialog final : public QDialog
{
public:
    explicit AnalysisDialog(QWidget* parent = nullptr);

    // Shows the features of the graph in `slot`, found on the x range from `from` to `to`;
    // `cutShort`: the analysis ran out of work, and the list is what it found before.
    void showFeatures(const Document& document, int slot, const std::vector<GraphFeature>& features,
        Ext from, Ext to, char decimalPoint, bool cutShort = false);

    std::function<void(Ext x)> pointChosen;
    QTableWidget* table() { return m_table; }
    QLabel* summary() { return m_summary; }

private:
    QLabel* m_summary = nullptr;
    QTableWidget* m_table = nullptr;
    std::vector<Ext> m_xs; // of each row
};

} // namespace velquor
