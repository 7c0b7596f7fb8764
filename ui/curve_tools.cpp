#include "ui/curve_tools.h"

#include "analysis_dialog.h"
#include "calc/error.h"
#include "conversions.h"
#include "document/document.h"
#include "error_box.h"
#include "integral_dialog.h"
#include "platform/dialog_service.h"
#include "platform/plot_widget.h"
#include "platform/qimage_surface.h"
#include "render/graph_analysis.h"
#include "value_table_dialog.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPolygon>
#include <QToolButton>
#include <cmath>

namespace velquor {
namespace {

    constexpr int MarkerRadius = 4;
    // The marker's pixels and the antialiased edge around them.
    constexpr int MarkerReach = MarkerRadius + 3;

    // The toolbar picture, 24 x 24 in the toolbar's 16 colours: a navy wave with a red ring on it.
    QPixmap tracerGlyph()
    {
        QPixmap pixmap(24, 24);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setPen(QColor(128, 128, 128));
        p.drawLine(1, 12, 22, 12);
        QPolygon wave;
        for (int x = 1; x <= 22; ++x)
            wave << QPoint(x, 12 - int(std::lround(7 * std::sin((x - 1) * 0.3))));
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.drawPolyline(wave);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(255, 0, 0), 2));
        p.drawEllipse(QPoint(6, 12 - int(std::lround(7 * std::sin(5 * 0.3)))), 3, 3);
        return pixmap;
    }

    bool isCurve(const GraphEntry& entry)
    {
        const auto kind = static_cast<GraphKind>(entry.kind);
        return entry.deleted == 0
            && (kind == GraphKind::Function || kind == GraphKind::Parametric
                || kind == GraphKind::Polar);
    }

} // namespace

CurveTools::CurveTools(Document& document, PlotWidget& plot, DialogService& dialogs,
    QWidget* window, CurveToolsHooks hooks)
    : QObject(window)
    , m_document(document)
    , m_plot(plot)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_hooks(std::move(hooks))
    , m_tracer(document)
{
    m_tracerAction = new QAction(QStringLiteral("トレース"), window);
    m_tracerAction->setObjectName(QStringLiteral("CurveTracerAction"));
    m_tracerAction->setCheckable(true);
    connect(
        m_tracerAction, &QAction::triggered, this, [this] { guarded([this] { toggleTracer(); }); });
    m_analysisAction = new QAction(QStringLiteral("解析..."), window);
    m_analysisAction->setObjectName(QStringLiteral("AnalysisAction"));
    connect(m_analysisAction, &QAction::triggered, this,
        [this] { guarded([this] { analyseSelectedGraph(); }); });
    m_tableAction = new QAction(QStringLiteral("数表..."), window);
    m_tableAction->setObjectName(QStringLiteral("ValueTableAction"));
    connect(m_tableAction, &QAction::triggered, this,
        [this] { guarded([this] { showValueTable(); }); });

    m_integralAction = new QAction(QStringLiteral("積分..."), window);
    m_integralAction->setObjectName(QStringLiteral("IntegralAction"));
    connect(m_integralAction, &QAction::triggered, this,
        [this] { guarded([this] { integrateSelectedGraph(); }); });

    m_analysisDialog = new AnalysisDialog(window);
    m_analysisDialog->pointChosen = [this](Ext x) {
        if (m_analysedSlot >= 0)
            moveTracerTo(m_analysedSlot, x);
    };
    m_valueTableDialog = new ValueTableDialog(document, dialogs, window);
    m_integralDialog = new IntegralDialog(document, dialogs, window);
    m_integralDialog->shadingChanged = [this] {
        updateShading();
        m_plot.update();
    };

    m_plot.setOverlay([this](QPainter& painter) {
        paintShading(painter);
        paintMarker(painter);
    });
    m_plot.setPresentListener([this] { presented(); });
    m_plot.setKeyHandler(
        [this](int key, Qt::KeyboardModifiers modifiers) { return keyPressed(key, modifiers); });
}

CurveTools::~CurveTools()
{
    m_plot.setOverlay({});
    m_plot.setPresentListener({});
    m_plot.setKeyHandler({});
}

void CurveTools::addMenuItems(QMenu* menu)
{
    menu->addSeparator();
    menu->addAction(m_tracerAction);
    menu->addAction(m_analysisAction);
    menu->addAction(m_tableAction);
    menu->addAction(m_integralAction);
}

QToolButton* CurveTools::makeToolButton(QWidget* toolbar)
{
    m_tracerButton = new QToolButton(toolbar);
    m_tracerButton->setObjectName(QStringLiteral("CurveTracerButton"));
    m_tracerButton->setText(QStringLiteral("トレース"));
    m_tracerButton->setIcon(QIcon(tracerGlyph()));
    m_tracerButton->setIconSize(QSize(24, 24));
    m_tracerButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_tracerButton->setAutoRaise(true);
    m_tracerButton->setCheckable(true);
    m_tracerButton->setFocusPolicy(Qt::NoFocus);
    connect(m_tracerButton, &QToolButton::clicked, this,
        [this] { guarded([this] { toggleTracer(); }); });
    return m_tracerButton;
}

void CurveTools::guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
}

int CurveTools::tracedSlot() const
{
    const int selected = m_hooks.selectedSlot ? m_hooks.selectedSlot() : -1;
    if (selected >= 0 && selected < m_document.graphCount() && isCurve(m_document.entry(selected)))
        return selected;
    for (int slot = 0; slot < m_document.graphCount(); ++slot) {
        const GraphEntry& entry = m_document.entry(slot);
        if (entry.visible != 0 && isCurve(entry))
            return slot;
    }
    return -1;
}

void CurveTools::followSelection()
{
    m_tracer.setView(m_plot.surface().width(), m_plot.surface().height(), localeDecimalPoint());
    const int slot = tracedSlot();
    if (slot != m_tracer.slot())
        m_tracer.follow(slot);
}

void CurveTools::toggleTracer()
{
    m_tracerOn = !m_tracerOn;
    m_tracerAction->setChecked(m_tracerOn);
    if (m_tracerButton)
        m_tracerButton->setChecked(m_tracerOn);
    if (!m_tracerOn) {
        m_tracer.follow(-1);
        m_plot.update(m_paintedMarker);
        m_paintedMarker = {};
        if (m_hooks.showStatus)
            m_hooks.showStatus({});
        return;
    }
    followSelection();
    m_tracer.refresh();
    m_markerShown = !m_hooks.viewAtRest || m_hooks.viewAtRest();
    m_plot.setFocus();
    pointMoved();
}

bool CurveTools::mouseMoved(int x, int y)
{
    if (!m_tracerOn)
        return false;
    followSelection();
    m_tracer.moveToMouse(x, y);
    pointMoved();
    return true;
}

bool CurveTools::keyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    if (!m_tracerOn || (key != Qt::Key_Left && key != Qt::Key_Right))
        return false;
    const int columns = (modifiers & Qt::ShiftModifier) ? 10 : 1;
    followSelection();
    m_tracer.step(key == Qt::Key_Left ? -columns : columns);
    pointMoved();
    return true;
}

void CurveTools::presented()
{
    if (m_integralDialog->shading().shaded) {
        // The view or the curves may have changed: the shading follows them at rest.
        updateShading();
    }
    if (!m_tracerOn)
        return;
    // While the view moves the marker would sit where the curve was; it comes back with the
    // point computed again at the settle redraw.
    m_markerShown = !m_hooks.viewAtRest || m_hooks.viewAtRest();
    followSelection();
    if (m_markerShown)
        m_tracer.refresh();
    m_paintedMarker = markerRect(); // the present repaints the whole plot
    if (m_hooks.showStatus)
        m_hooks.showStatus(toQString(m_tracer.statusText()));
}

QRect CurveTools::markerRect() const
{
    const auto& point = m_tracer.point();
    if (!m_tracerOn || !m_markerShown || !point || !point->column)
        return {};
    return QRect(*point->column - MarkerReach, *point->row - MarkerReach, 2 * MarkerReach + 1,
        2 * MarkerReach + 1);
}

void CurveTools::paintMarker(QPainter& painter) const
{
    const QRect area = markerRect();
    if (area.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(toQColor(m_tracer.color()), 2));
    painter.drawEllipse(area.center(), MarkerRadius, MarkerRadius);
    painter.restore();
}

void CurveTools::updateShading()
{
    m_shadedColumns.clear();
    const IntegralDialog::Shading& shading = m_integralDialog->shading();
    if (!shading.shaded || (m_hooks.viewAtRest && !m_hooks.viewAtRest()))
        return;
    const QImageSurface& surface = m_plot.surface();
    try {
        m_shadedColumns = ShadedArea(m_document, shading.slot, shading.other, shading.from,
            shading.to, surface.width(), surface.height(), localeDecimalPoint());
    } catch (const std::exception&) {
        // A setting that no longer converts or a graph that is gone: nothing is shaded.
        m_shadedColumns.clear();
    }
}

void CurveTools::paintShading(QPainter& painter) const
{
    const int slot = m_integralDialog->shading().slot;
    if (m_shadedColumns.empty() || slot < 0 || slot >= m_document.graphCount())
        return;
    QColor color = toQColor(m_document.entry(slot).color);
    color.setAlpha(70);
    for (const ShadedColumn& span : m_shadedColumns)
        painter.fillRect(span.column, span.top, 1, span.bottom - span.top + 1, color);
}

void CurveTools::pointMoved()
{
    const QRect now = markerRect();
    if (!m_paintedMarker.isNull())
        m_plot.update(m_paintedMarker);
    if (!now.isNull())
        m_plot.update(now);
    m_paintedMarker = now;
    if (!m_hooks.showStatus)
        return;
    if (m_tracer.slot() < 0)
        m_hooks.showStatus(QStringLiteral("トレースするグラフがありません"));
    else
        m_hooks.showStatus(toQString(m_tracer.statusText()));
}

void CurveTools::moveTracerTo(int slot, Ext x)
{
    if (!m_tracerOn)
        toggleTracer();
    m_tracer.setView(m_plot.surface().width(), m_plot.surface().height(), localeDecimalPoint());
    if (m_tracer.slot() != slot)
        m_tracer.follow(slot);
    m_tracer.moveToX(x);
    pointMoved();
}

void CurveTools::analyseSelectedGraph()
{
    const int slot = m_hooks.selectedSlot ? m_hooks.selectedSlot() : -1;
    if (slot < 0 || slot >= m_document.graphCount()
        || m_document.entry(slot).kind != static_cast<std::int32_t>(GraphKind::Function)
        || m_document.entry(slot).deleted != 0)
        throw Error(std::string(AnalysisNeedsFunctionMessage));
    const QImageSurface& surface = m_plot.surface();
    const char decimalPoint = localeDecimalPoint();
    bool cutShort = false;
    const auto features = AnalyseFunctionGraph(
        m_document, slot, surface.width(), surface.height(), decimalPoint, &cutShort);
    const AnalysisScan scan
        = VisibleScan(m_document, surface.width(), surface.height(), decimalPoint);
    m_analysedSlot = slot;
    m_analysisDialog->showFeatures(
        m_document, slot, features, scan.xs.front(), scan.xs.back(), decimalPoint, cutShort);
    m_analysisDialog->show();
    m_analysisDialog->raise();
    m_analysisDialog->activateWindow();
}

void CurveTools::integrateSelectedGraph()
{
    const int slot = m_hooks.selectedSlot ? m_hooks.selectedSlot() : -1;
    if (slot < 0 || slot >= m_document.graphCount()
        || m_document.entry(slot).kind != static_cast<std::int32_t>(GraphKind::Function)
        || m_document.entry(slot).deleted != 0)
        throw Error(std::string(IntegralNeedsFunctionMessage));
    const QImageSurface& surface = m_plot.surface();
    const AnalysisScan scan
        = VisibleScan(m_document, surface.width(), surface.height(), localeDecimalPoint());
    m_integralDialog->openFor(
        slot, scan.xs.front(), scan.xs.back(), surface.height(), localeDecimalPoint());
    m_integralDialog->show();
    m_integralDialog->raise();
    m_integralDialog->activateWindow();
}

void CurveTools::showValueTable()
{
    const int slot = m_hooks.selectedSlot ? m_hooks.selectedSlot() : -1;
    if (slot < 0 || slot >= m_document.graphCount() || !isCurve(m_document.entry(slot)))
        throw Error(std::string(ValueTableNeedsGraphMessage));
    m_valueTableDialog->openFor(slot, m_plot.surface().width(), localeDecimalPoint());
    m_valueTableDialog->show();
    m_valueTableDialog->raise();
    m_valueTableDialog->activateWindow();
}

} // namespace velquor
