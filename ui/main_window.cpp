#include "main_window.h"

#include "calc/error.h"
#include "constants_panel.h"
#include "conversions.h"
#include "curve_tools.h"
#include "error_box.h"
#include "graph_dialog.h"
#include "graph_list.h"
#include "output_wiring.h"
#include "platform/dialog_service.h"
#include "platform/plot_widget.h"
#include "settings_panel.h"
#include "undo_commands.h"
#include "velquor_application.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QSlider>

namespace velquor {

namespace {
    // The plot control's designed size: the origin of the first start-up is its centre.
    constexpr int DesignedPlotWidth = 445;
    constexpr int DesignedPlotHeight = 364;
} // namespace

MainWindow::MainWindow(DialogService& dialogs, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_arguments(arguments)
    , m_surface(DesignedPlotWidth, DesignedPlotHeight)
    , m_plotView(m_document, m_surface, plotHooks())
    , m_help(this)
{
    setObjectName(QStringLiteral("MainWindow"));
    // Until the end of the first initialiseView() nothing is drawn; its value also marks the first
    // creation, the only one that reads the command line.
    m_plotView.suppressRedraw = 1;
    m_plotView.decimalPoint = localeDecimalPoint();
    m_keys = new KeyState(this);
    buildHistory();
    setUpSession();
    buildPanels();
    connectDocumentChanges();
    installHooks();
    initialiseView();
    m_graphDialog = new GraphDialog(m_document, m_dialogs, this);
    installOutputCommands(*this, m_dialogs);
    resetHistory(); // the document of the command line, or the empty one, is unchanged
}

MainWindow::~MainWindow()
{
    // The children refer to the document, the surface and the plot view, which are members and
    // would die before the base class deletes the children: delete the children first. The
    // helpers that are not widgets (curve tools, output commands, the recovery copy) go before
    // the widgets they unhook themselves from, newest first; Qt's own layout stays for the base
    // class. From then on the plot's events no longer reach this window's filter, which asks
    // the curve tools.
    m_plot->removeEventFilter(this);
    QList<QPointer<QObject>> helpers;
    for (QObject* child : children())
        if (!child->isWidgetType() && !qobject_cast<QLayout*>(child))
            helpers.prepend(child);
    for (const QPointer<QObject>& helper : helpers)
        delete helper.data(); // null when an earlier helper took it with it
    m_curveTools = nullptr;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

PlotHooks MainWindow::plotHooks()
{
    // The controls these reach are built before the first redraw can run.
    PlotHooks hooks;
    hooks.setZoomSliderPosition = [this](int position) {
        const QSignalBlocker blocker(m_zoomSlider);
        m_zoomSlider->setValue(position);
    };
    hooks.setZoomText
        = [this](const std::string& text) { m_zoomLabel->setText(QString::fromStdString(text)); };
    hooks.setBusyLamp = [this](bool busy) {
        QPalette palette = m_busyLamp->palette();
        palette.setColor(QPalette::Window, busy ? Qt::red : Qt::black);
        m_busyLamp->setPalette(palette);
        m_busyLamp->repaint();
    };
    hooks.heldKeys = [this] { return static_cast<int>(m_keys->heldKeys()); };
    hooks.entryHidden = [](int) {};
    return hooks;
}

void MainWindow::installHooks()
{
    DocumentHooks documentHooks;
    documentHooks.settingChanged = [this](Setting setting) { settingChanged(setting); };
    documentHooks.askDegreeAutoSettings = [this] {
        // "はい(&Y)" moves the zoom: the step that ticked the box keeps the view before it.
        if (!m_viewBeforeQuestion)
            m_viewBeforeQuestion = ViewState::of(m_document);
        return m_dialogs.askYesNo(QStringLiteral("確認"),
            QStringLiteral("縦横比・目盛などの設定も最適に自動設定しますか？"));
    };
    documentHooks.degreeAutoSettingsApplied = [this] {
        {
            const QSignalBlocker blocker(m_zoomSlider);
            m_zoomSlider->setValue(1);
        }
        RedrawPlot();
    };
    m_document.setHooks(std::move(documentHooks));
}

void MainWindow::settingChanged(Setting setting)
{
    // Typing in the a or b box sets the document's text, whose change redraws once; a load or a
    // restore setting the text does the same.
    m_constantsPanel->syncFromDocument(setting);
    m_settingsPanel->syncFromDocument(setting);
    if (m_changeDepth == 0)
        settingChangedOutsideCommand(setting);
    // An undo redraws once after putting every setting back.
    if ((setting == Setting::ValA || setting == Setting::ValB) && !m_restoringStep)
        RedrawPlot();
    if (setting == Setting::OtherFunction && m_functionCallsAction)
        m_functionCallsAction->setChecked(m_document.settings().otherFunction);
}

void MainWindow::initialiseView()
{
    m_plotView.settleTicks = 0;
    if (m_plotView.suppressRedraw != 0) {
        m_document.initialiseView(DesignedPlotWidth, DesignedPlotHeight);
        readCommandLine();
    } else {
        m_document.initialiseView(m_surface.width(), m_surface.height());
    }
    m_plotView.suppressRedraw = 0;
    m_graphList->rebuild();
}

void MainWindow::readCommandLine()
{
    for (const QString& argument : m_arguments) {
        if (argument == QLatin1String("-m") || argument == QLatin1String("-M")) {
            m_startMaximized = true;
        } else if (argument == QLatin1String("-n") || argument == QLatin1String("-N")) {
            m_animatedRestoreAction->setChecked(false);
        } else if (!argument.isEmpty() && !argument.startsWith(QLatin1Char('-'))) {
            // A path that cannot be read is reported and ends the command line; start-up
            // goes on with the document as far as the loader got.
            try {
                loadDocument(argument);
            } catch (const Error& error) {
                m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
                return;
            }
        }
    }
}

void MainWindow::showAtStartup()
{
    if (m_startMaximized)
        showMaximized();
    else
        show();
}

void MainWindow::guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
}

void MainWindow::addGraph()
{
    documentCommand(QStringLiteral("グラフの追加"), [this] {
        if (!m_graphDialog->addGraph())
            return;
        m_graphList->rebuild();
        RedrawPlot();
    });
}

void MainWindow::openEntry(int slot)
{
    const GraphEntry& entry = m_document.entry(slot - 1);
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Position)
        || entry.kind == static_cast<std::int32_t>(GraphKind::Constants)) {
        restoreStoredItem(slot - 1);
        return;
    }
    documentCommand(QStringLiteral("グラフの設定の変更"), [this, slot] {
        if (!m_graphDialog->editGraph(slot - 1))
            return;
        m_graphList->rebuild();
        RedrawPlot();
    });
}

void MainWindow::startAnimation()
{
    m_plotView.animate();
}

void MainWindow::toggleTraceMode()
{
    m_plotView.toggleTraceMode();
    m_traceModeAction->setChecked(m_plotView.traceMode());
}

void MainWindow::switchToDegrees()
{
    // With the settings the degree question changed, one step.
    documentCommand(
        QStringLiteral("度表示に設定"), [this] { m_document.setFlag(Setting::CheckDegree, true); });
}

void MainWindow::toggleFunctionCalls()
{
    documentCommand(QStringLiteral("関数呼び出し機能の切り替え"), [this] {
        m_document.setFlag(Setting::OtherFunction, !m_document.settings().otherFunction);
    });
    m_functionCallsAction->setChecked(m_document.settings().otherFunction);
}

void MainWindow::quit()
{
    close();
}

} // namespace velquor
