#include "main_form.h"

#include "calc/error.h"
#include "constants_panel.h"
#include "conversions.h"
#include "error_box.h"
#include "graph_list.h"
#include "input_dlg.h"
#include "output_wiring.h"
#include "platform/dialog_service.h"
#include "platform/plot_widget.h"
#include "settings_panel.h"
#include "velquor_application.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QSlider>

namespace velquor {

namespace {
    // The plot control's designed size: the origin of the first start-up is its centre.
    constexpr int DesignedPlotWidth = 445;
    constexpr int DesignedPlotHeight = 364;
} // namespace

TMainForm::TMainForm(DialogService& dialogs, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_arguments(arguments)
    , m_surface(DesignedPlotWidth, DesignedPlotHeight)
    , m_plotView(m_document, m_surface, plotHooks())
    , m_help(this)
{
    setObjectName(QStringLiteral("MainForm"));
    // Until the end of the first FormCreate nothing is drawn; its value also marks the first
    // creation, the only one that reads the command line.
    m_plotView.suppressRedraw = 1;
    m_plotView.decimalPoint = localeDecimalPoint();
    m_keys = new KeyState(this);
    buildPanels();
    installHooks();
    FormCreate();
    m_inputDlg = new TInputDlg(m_document, m_dialogs, this);
    installOutputCommands(*this, m_dialogs);
}

TMainForm::~TMainForm()
{
    // The child widgets refer to the document, the surface and the plot view, which are members
    // and would die before the base class deletes the children: delete the children first.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

PlotHooks TMainForm::plotHooks()
{
    // The controls these reach are built before the first redraw can run.
    PlotHooks hooks;
    hooks.setTrackBarPosition = [this](int position) {
        const QSignalBlocker blocker(TrackBar1);
        TrackBar1->setValue(position);
    };
    hooks.setZoomText
        = [this](const std::string& text) { ZoomPanel->setText(QString::fromStdString(text)); };
    hooks.setBusyLamp = [this](bool busy) {
        QPalette palette = BusyStatPanel->palette();
        palette.setColor(QPalette::Window, busy ? Qt::red : Qt::black);
        BusyStatPanel->setPalette(palette);
        BusyStatPanel->repaint();
    };
    hooks.heldKeys = [this] { return static_cast<int>(m_keys->heldKeys()); };
    hooks.entryHidden = [](int) {};
    return hooks;
}

void TMainForm::installHooks()
{
    DocumentHooks documentHooks;
    documentHooks.settingChanged = [this](Setting setting) { settingChanged(setting); };
    documentHooks.askDegreeAutoSettings = [this] {
        return m_dialogs.askYesNo(QStringLiteral("確認"),
            QStringLiteral("縦横比・目盛などの設定も最適に自動設定しますか？"));
    };
    documentHooks.degreeAutoSettingsApplied = [this] {
        {
            const QSignalBlocker blocker(TrackBar1);
            TrackBar1->setValue(1);
        }
        RedrawPlot();
    };
    m_document.setHooks(std::move(documentHooks));
}

void TMainForm::settingChanged(Setting setting)
{
    // Typing in val_a sets the document's text, whose change redraws once; a load or a
    // restore setting the text does the same.
    m_constantsPanel->syncFromDocument(setting);
    m_settingsPanel->syncFromDocument(setting);
    if (setting == Setting::ValA || setting == Setting::ValB)
        RedrawPlot();
    if (setting == Setting::OtherFunction && N23)
        N23->setChecked(m_document.settings().otherFunction);
}

void TMainForm::FormCreate()
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

void TMainForm::readCommandLine()
{
    for (const QString& argument : m_arguments) {
        if (argument == QLatin1String("-m") || argument == QLatin1String("-M")) {
            m_startMaximized = true;
        } else if (argument == QLatin1String("-n") || argument == QLatin1String("-N")) {
            N25->setChecked(false);
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

void TMainForm::showAtStartup()
{
    if (m_startMaximized)
        showMaximized();
    else
        show();
}

void TMainForm::guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
}

void TMainForm::ToolButton6Click()
{
    if (!m_inputDlg->addGraph())
        return;
    m_graphList->rebuild();
    RedrawPlot();
}

void TMainForm::TreeView1DblClick(int slot)
{
    const GraphEntry& entry = m_document.entry(slot - 1);
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Position)
        || entry.kind == static_cast<std::int32_t>(GraphKind::Constants)) {
        restoreStoredItem(slot - 1);
        return;
    }
    if (!m_inputDlg->editGraph(slot - 1))
        return;
    m_graphList->rebuild();
    RedrawPlot();
}

void TMainForm::N7Click()
{
    m_plotView.animate();
}

void TMainForm::N10Click()
{
    m_plotView.toggleTraceMode();
    N10->setChecked(m_plotView.traceMode());
}

void TMainForm::N15Click()
{
    m_document.setFlag(Setting::CheckDegree, true);
}

void TMainForm::N23Click()
{
    m_document.setFlag(Setting::OtherFunction, !m_document.settings().otherFunction);
    N23->setChecked(m_document.settings().otherFunction);
}

void TMainForm::Exit2Click()
{
    close();
}

} // namespace velquor
