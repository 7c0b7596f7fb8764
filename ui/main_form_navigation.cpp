// The plot's navigation and the panels around it: mouse, wheel, track bar, origin, splitter,
// the "表示" commands, the settings panel, stored items, help and the about box.
#include "calc/number_text.h"
#include "conversions.h"
#include "graph_list.h"
#include "main_form.h"
#include "platform/plot_widget.h"
#include "settings_panel.h"
#include "splitter_bar.h"
#include "stored_items.h"
#include "version_dlg.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
#include <QSlider>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace velquor {

void TMainForm::installPlotHandlers()
{
    PlotWidget::Handlers handlers;
    handlers.mouseDown = [this](int x, int y) { m_plotView.mouseDown(x, y); };
    handlers.mouseMove = [this](int x, int y, bool leftOnly) {
        updateCoordinates(x, y);
        guarded([&] { m_plotView.mouseMove(x, y, leftOnly); });
    };
    handlers.mouseUp = [this] { m_plotView.mouseUp(); };
    handlers.resized = [this](int, int) { m_plotView.resized(); };
    DXDraw1->setHandlers(std::move(handlers));
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DXDraw1 && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = wheel->angleDelta().y() / 120;
        if (notches != 0) {
            const QPoint at = wheel->position().toPoint();
            guarded([&] { zoomAbout(at.x(), at.y(), notches); });
        }
        return true;
    }
    if (watched == DXDraw1 && event->type() == QEvent::Leave)
        Panel5->clear();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::TrackBar1Change()
{
    m_plotView.TrackBar1Change(TrackBar1->value());
}

void TMainForm::zoomAbout(int x, int y, int notches)
{
    const std::int32_t oldZoom = m_document.Zoom;
    std::int32_t zoom = std::clamp(oldZoom, 1, 500);
    for (int i = 0; i < std::abs(notches); ++i) {
        // About 10 % a notch, and at least one step so that small zooms move too.
        const int step = std::max(1, static_cast<int>(std::lround(zoom * 0.1)));
        zoom = std::clamp(zoom + (notches > 0 ? step : -step), 1, 500);
    }
    if (zoom == oldZoom)
        return;
    // The plot point under the cursor stays there: its distance from the origin scales.
    const double scale = static_cast<double>(zoom) / std::max(oldZoom, 1);
    m_document.CX = x - static_cast<std::int32_t>(std::lround((x - m_document.CX) * scale));
    m_document.CY = y - static_cast<std::int32_t>(std::lround((y - m_document.CY) * scale));
    m_plotView.TrackBar1Change(zoom);
}

QString TMainForm::coordinatesText(int x, int y) const
{
    const Ext zoom = std::max<std::int32_t>(m_document.Zoom, 1);
    Ext ratio = 1;
    if (!TryStrToFloat(m_document.settings().ratio, ratio, localeDecimalPoint()) || ratio == 0)
        ratio = 1;
    // Round each value to the decimals that one pixel resolves.
    auto rounded = [](Ext value, Ext pixelsPerUnit) {
        const int decimals
            = std::clamp(static_cast<int>(std::ceil(std::log10(std::fabs(pixelsPerUnit)))), 0, 15);
        const Ext factor = std::pow(10.0L, decimals);
        return std::round(value * factor) / factor;
    };
    const char point = localeDecimalPoint();
    const Ext px = rounded((x - m_document.CX) / zoom, zoom);
    const Ext py = rounded(-(y - m_document.CY) / (zoom * ratio), zoom * ratio);
    return QStringLiteral("x = %1  y = %2")
        .arg(QString::fromStdString(FormatNumber(px + 0.0L, point)),
            QString::fromStdString(FormatNumber(py + 0.0L, point)));
}

void TMainForm::updateCoordinates(int x, int y)
{
    Panel5->setText(coordinatesText(x, y));
}

void TMainForm::ToolButton1Click()
{
    m_plotView.backToOrigin();
}

void TMainForm::Splitter2EndDrag()
{
    m_plotView.settleTicks = 1;
    RedrawPlot();
}

void TMainForm::relayout()
{
    // Hiding a panel relays the window out only later; the redraw that follows each command
    // must already see the plot at its new size.
    centralWidget()->layout()->activate();
    if (QLayout* middle = Panel3->parentWidget()->layout())
        middle->activate();
}

void TMainForm::N5Click()
{
    if (Panel9->isVisible()) {
        Splitter2->hide();
        Panel9->hide();
    } else {
        Splitter2->show();
        Panel9->show();
    }
    N5->setChecked(Panel9->isVisible());
    relayout();
    RedrawPlot();
}

void TMainForm::N14Click()
{
    if (Panel12->isVisible()) {
        Bevel7->hide();
        Panel12->hide();
    } else {
        Panel12->show();
        Bevel7->show();
    }
    N14->setChecked(Panel12->isVisible());
    relayout();
    RedrawPlot();
}

void TMainForm::N16Click()
{
    if (Panel1->isVisible()) {
        Panel4->hide();
        Panel1->hide();
    } else {
        Panel4->show();
        Panel1->show();
    }
    N16->setChecked(Panel1->isVisible());
    relayout();
    RedrawPlot();
}

void TMainForm::SpeedButton1Click()
{
    if (!DXDraw1->isHidden()) {
        Panel6->show();
        DXDraw1->hide();
        return;
    }
    Panel6->hide();
    DXDraw1->show();
    relayout();
    m_settingsPanel->apply();
    RedrawPlot();
}

void TMainForm::N21Click()
{
    if (!storePosition(m_document, m_plotView, m_dialogs))
        return;
    m_graphList->rebuild();
    RedrawPlot();
}

void TMainForm::ab1Click()
{
    if (!storeConstants(m_document, m_dialogs))
        return;
    m_graphList->rebuild();
    RedrawPlot();
}

void TMainForm::restoreStoredItem(int slot)
{
    const GraphEntry entry = m_document.entry(slot);
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Position))
        restorePosition(m_document, m_plotView, entry, N25->isChecked());
    else
        restoreConstants(m_document, m_plotView, entry);
}

void TMainForm::Contents1Click()
{
    m_help.showContents(QStringLiteral("Velquor.hlp"));
}

void TMainForm::About1Click()
{
    TVersionDlgForm about(this);
    about.exec();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.constFirst().isLocalFile()
        && urls.constFirst().toLocalFile().endsWith(QStringLiteral(".gdt"), Qt::CaseInsensitive))
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.constFirst().toLocalFile();
    guarded([&] { loadDocument(path); });
}

} // namespace velquor
