#pragma once

#include "calc/ext.h"
#include "render/graph_integral.h"
#include "render/point_tracer.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <functional>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QPainter;
class QToolButton;
class QWidget;

namespace velquor {

class AnalysisDialog;
class DialogService;
class IntegralDialog;
class Document;
class PlotWidget;
class ValueTableDialog;

// The refusals of the two commands without a fitting selection.
inline constexpr std::string_view AnalysisNeedsFunctionMessage
    = "解析する関数のグラフを選択してください";
inline constexpr std::string_view ValueTableNeedsGraphMessage
    = "数表を作るグラフを選択してください";

// What the curve tools need of the main window.
struct CurveToolsHooks
{
    std::function<int()> selectedSlot; // the graph list's selection, from 0; -1 for none
    std::function<bool()> viewAtRest; // no motion of the view is waiting for its settle redraw
    std::function<void(const QString& text)> showStatus; // the status bar's text
};

// The commands that read values off the curves: the curve tracer "トレース" (a marker that
// follows the selected graph under the mouse, drawn over the shown plot only), "解析..." (the
// zeros, extrema and intersections of the selected function graph) and "数表..." (its value
// table). The tracer is not trace mode ("軌跡モード"), which keeps earlier curves on the plot.
class CurveTools final : public QObject
{
public:
    CurveTools(Document& document, PlotWidget& plot, DialogService& dialogs, QWidget* window,
        CurveToolsHooks hooks);
    ~CurveTools() override;

    // Appends "トレース", "解析...", "数表..." and "積分..." to a menu, after a separator.
    void addMenuItems(QMenu* menu);
    // The toolbar's "トレース" button (a toggle), a child of `toolbar`.
    QToolButton* makeToolButton(QWidget* toolbar);

    // The tracer command: on or off.
    void toggleTracer();
    bool tracerOn() const { return m_tracerOn; }
    // The mouse moved over the plot: with the tracer on, the marker goes there and the status
    // bar shows the point (true); false with the tracer off.
    bool mouseMoved(int x, int y);
    // Left and Right step the marker one pixel column (a sample of other curves), 10 with Shift.
    bool keyPressed(int key, Qt::KeyboardModifiers modifiers);

    // "解析...": throws Error with a message when no function graph is selected.
    void analyseSelectedGraph();
    // "数表...": throws Error with a message when no graph is selected.
    void showValueTable();
    // "積分...": throws Error with a message when no function graph is selected.
    void integrateSelectedGraph();

    PointTracer& tracer() { return m_tracer; }
    QAction* tracerAction() { return m_tracerAction; }
    AnalysisDialog* analysisDialog() { return m_analysisDialog; }
    ValueTableDialog* valueTableDialog() { return m_valueTableDialog; }
    IntegralDialog* integralDialog() { return m_integralDialog; }

private:
    // The graph the tracer follows: the selected one, or the first visible curve.
    int tracedSlot() const;
    void followSelection();
    void presented();
    void paintMarker(QPainter& painter) const;
    // The integral dialog's area over the shown plot, below the marker.
    void paintShading(QPainter& painter) const;
    void updateShading();
    // After the point moved: the marker's old and new places are painted again, the status
    // bar shows the point.
    void pointMoved();
    QRect markerRect() const;
    void moveTracerTo(int slot, Ext x);
    void guarded(const std::function<void()>& command);

    Document& m_document;
    PlotWidget& m_plot;
    DialogService& m_dialogs;
    QWidget* m_window;
    CurveToolsHooks m_hooks;
    PointTracer m_tracer;
    bool m_tracerOn = false;
    bool m_markerShown = false; // hidden while the view moves, until the settle redraw
    QRect m_paintedMarker;
    QAction* m_tracerAction = nullptr;
    QAction* m_analysisAction = nullptr;
    QAction* m_tableAction = nullptr;
    QToolButton* m_tracerButton = nullptr;
    AnalysisDialog* m_analysisDialog = nullptr;
    int m_analysedSlot = -1; // the graph the analysis dialog shows
    ValueTableDialog* m_valueTableDialog = nullptr;
    QAction* m_integralAction = nullptr;
    IntegralDialog* m_integralDialog = nullptr;
    std::vector<ShadedColumn> m_shadedColumns; // computed when the area or the view changes
};

} // namespace velquor
