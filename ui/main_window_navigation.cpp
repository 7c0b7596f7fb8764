// The plot's navigation and the panels around it: mouse, wheel, track bar, origin, splitter,
// the "表示" commands, the settings panel, stored items, help and the about box.
#include "about_box.h"
#include "calc/number_text.h"
#include "conversions.h"
#include "curve_tools.h"
#include "graph_list.h"
#include "main_window.h"
#include "platform/plot_widget.h"
#include "settings_panel.h"
#include "splitter_bar.h"
#include "stored_items.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QScopeGuard>
#include <QSlider>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace velquor {

void MainWindow::installPlotHandlers()
{
    PlotWidget::Handlers handlers;
    handlers.mouseDown = [this](int x, int y) { m_plotView.mouseDown(x, y); };
    handlers.mouseMove = [this](int x, int y, bool leftOnly) {
        // With the curve tracer on, the status bar shows the traced point instead.
        if (!m_curveTools->mouseMoved(x, y))
            updateCoordinates(x, y);
        guarded([&] { m_plotView.mouseMove(x, y, leftOnly); });
    };
    handlers.mouseUp = [this] { m_plotView.mouseUp(); };
    handlers.resized = [this](int, int) {
        m_plotView.showAtDevicePixels(m_plot->deviceSurface(), m_plot->pixelRatio());
        m_plotView.resized();
    };
    m_plot->setHandlers(std::move(handlers));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_plot && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int notches = wheel->angleDelta().y() / 120;
        if (notches != 0) {
            const QPoint at = wheel->position().toPoint();
            guarded([&] { zoomAbout(at.x(), at.y(), notches); });
        }
        return true;
    }
    if (watched == m_plot && event->type() == QEvent::Leave && !m_curveTools->tracerOn())
        m_coordinatesLabel->clear();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::zoomSliderMoved()
{
    m_plotView.setZoom(m_zoomSlider->value());
}

void MainWindow::zoomAbout(int x, int y, int notches)
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
    m_plotView.setZoom(zoom);
}

QString MainWindow::coordinatesText(int x, int y) const
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

void MainWindow::updateCoordinates(int x, int y)
{
    m_coordinatesLabel->setText(coordinatesText(x, y));
}

void MainWindow::backToOrigin()
{
    m_plotView.backToOrigin();
}

void MainWindow::splitterDragEnded()
{
    m_plotView.settleTicks = 1;
    RedrawPlot();
}

void MainWindow::relayout()
{
    // Hiding a panel relays the window out only later; the redraw that follows each command
    // must already see the plot at its new size.
    centralWidget()->layout()->activate();
    if (QLayout* middle = m_plotArea->parentWidget()->layout())
        middle->activate();
}

void MainWindow::toggleGraphList()
{
    if (m_leftPanel->isVisible()) {
        m_splitter->hide();
        m_leftPanel->hide();
    } else {
        m_splitter->show();
        m_leftPanel->show();
    }
    m_showGraphListAction->setChecked(m_leftPanel->isVisible());
    relayout();
    RedrawPlot();
}

void MainWindow::toggleToolbar()
{
    if (m_toolbar->isVisible()) {
        m_menuRule->hide();
        m_toolbar->hide();
    } else {
        m_toolbar->show();
        m_menuRule->show();
    }
    m_showToolbarAction->setChecked(m_toolbar->isVisible());
    relayout();
    RedrawPlot();
}

void MainWindow::toggleStatusBar()
{
    if (m_statusBar->isVisible()) {
        m_statusBarSpacer->hide();
        m_statusBar->hide();
    } else {
        m_statusBarSpacer->show();
        m_statusBar->show();
    }
    m_showStatusBarAction->setChecked(m_statusBar->isVisible());
    relayout();
    RedrawPlot();
}

void MainWindow::toggleSettingsPanel()
{
    if (!m_plot->isHidden()) {
        // What the panel changes from here on is one step, apart from what came before.
        flushPendingChanges();
        m_focusBeforeSettings = focusWidget();
        m_settingsPanel->show();
        m_plot->hide();
        return;
    }
    // The focus goes back before the panel hides; otherwise Qt passes it on to the next box
    // in the tab order (the value of a, its text selected), where the next key replaces it.
    m_plot->show();
    QWidget* focus = m_focusBeforeSettings;
    if (!focus || !focus->isVisible() || !focus->isEnabled()
        || m_settingsPanel->isAncestorOf(focus))
        focus = m_plot;
    focus->setFocus(Qt::OtherFocusReason);
    m_settingsPanel->hide();
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()))
        edit->deselect();
    relayout();
    const int selected = m_graphList->selectedSlot();
    {
        // All the panel changed, with the repairs of apply, is one step, also after an error.
        ++m_changeDepth;
        const auto record = qScopeGuard([&] {
            --m_changeDepth;
            recordChanges(QStringLiteral("設定の変更"), selected, m_document.graphCount());
        });
        m_settingsPanel->apply();
    }
    RedrawPlot();
}

void MainWindow::addStoredPosition()
{
    documentCommand(QStringLiteral("位置情報の追加"), [this] {
        if (!storePosition(m_document, m_plotView, m_dialogs))
            return;
        m_graphList->rebuild();
        RedrawPlot();
    });
}

void MainWindow::addStoredConstants()
{
    documentCommand(QStringLiteral("定数a,b情報の追加"), [this] {
        if (!storeConstants(m_document, m_dialogs))
            return;
        m_graphList->rebuild();
        RedrawPlot();
    });
}

void MainWindow::restoreStoredItem(int slot)
{
    const GraphEntry entry = m_document.entry(slot);
    // Moving to a stored position changes the view only: no step.
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Position))
        restorePosition(m_document, m_plotView, entry, m_animatedRestoreAction->isChecked());
    else
        documentCommand(
            QStringLiteral("定数の復元"), [&] { restoreConstants(m_document, m_plotView, entry); });
}

void MainWindow::showHelp()
{
    m_help.showContents(QStringLiteral("Velquor.hlp"));
}

void MainWindow::showAbout()
{
    AboutBox about(this);
    about.exec();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.constFirst().isLocalFile()
        && urls.constFirst().toLocalFile().endsWith(QStringLiteral(".gdt"), Qt::CaseInsensitive))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.constFirst().toLocalFile();
    // The question is asked once the drop has finished, so the dragging program is not kept
    // waiting on a modal box.
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            guarded([&] {
                if (confirmDiscardChanges())
                    loadDocument(path);
            });
        },
        Qt::QueuedConnection);
}

} // namespace velquor
