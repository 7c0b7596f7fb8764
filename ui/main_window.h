#pragma once

#include "document/document.h"
#include "platform/help_viewer.h"
#include "platform/key_state.h"
#include "platform/qimage_surface.h"
#include "render/plot_view.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSlider;
class QToolButton;

namespace velquor {

class CurveTools;
class DialogService;
class GraphList;
class PlotWidget;
class SplitterBar;
class GraphDialog;
class ConstantsPanel;
class SettingsPanel;
class TracerField;

// The main window: owns the document, the plot surface and the redraw cycle for the whole
// run, and reaches every command from its menus, toolbar and panels.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // arguments: the command line without the program name. The dialog service answers every
    // question (tests pass a scripted one).
    MainWindow(DialogService& dialogs, const QStringList& arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window, maximised when the command line asked for it.
    void showAtStartup();
    bool startMaximized() const { return m_startMaximized; }

    Document& document() { return m_document; }
    PlotView& plotView() { return m_plotView; }
    QImageSurface& surface() { return m_surface; }
    GraphList& graphList() { return *m_graphList; }
    GraphDialog& graphDialog() { return *m_graphDialog; }
    HelpViewer& help() { return m_help; }
    CurveTools& curveTools() { return *m_curveTools; } // the tracer, analysis, value table
    void RedrawPlot() { m_plotView.RedrawPlot(); }

    // The start of a document's view: the table emptied and the origin centred; the first
    // call (from the constructor) also reads the command line. Draws nothing.
    void initialiseView();
    void newDocument();
    void openDocument();
    void saveDocument();
    void saveDocumentAs();
    void loadDocument(const QString& path); // redraws, then rebuilds the list
    void addGraph();
    // Double click on a list entry (slot from 1): a graph opens the graph dialog, a stored
    // position or constant set is restored.
    void openEntry(int slot);
    void backToOrigin();
    // Shows the settings panel in place of the plot, or applies it and shows the plot again.
    void toggleSettingsPanel();
    void toggleGraphList();
    void toggleToolbar();
    void toggleStatusBar();
    void startAnimation();
    void toggleTraceMode();
    void switchToDegrees();
    void addStoredPosition();
    void addStoredConstants();
    void toggleFunctionCalls();
    void showHelp();
    void showAbout();
    void quit();
    void splitterDragEnded();
    void zoomSliderMoved();
    void tick() { m_plotView.tick(); } // every 10 ms
    // Wheel zoom about a surface pixel: notches > 0 zoom in.
    void zoomAbout(int x, int y, int notches);
    // The status bar's coordinates text for a surface pixel.
    QString coordinatesText(int x, int y) const;

    // The widgets and actions, public for the output wiring and the tests.
    QFrame* m_toolbar = nullptr;
    QFrame* m_menuRule = nullptr; // the rule between the menu bar and the toolbar
    QFrame* m_statusBar = nullptr;
    QFrame* m_statusBarSpacer = nullptr; // the gap above the status bar
    QFrame* m_leftPanel = nullptr; // the constants panel above the graph list
    SplitterBar* m_splitter = nullptr;
    QFrame* m_plotArea = nullptr; // holds the plot or the settings panel
    PlotWidget* m_plot = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QFrame* m_busyLamp = nullptr;
    QSlider* m_zoomSlider = nullptr;
    QLabel* m_coordinatesLabel = nullptr;
    TracerField* m_tracerField = nullptr; // the traced point's row above the others
    QTimer* m_tickTimer = nullptr;
    QAction* m_showGraphListAction = nullptr;
    QAction* m_showToolbarAction = nullptr;
    QAction* m_showStatusBarAction = nullptr;
    QAction* m_traceModeAction = nullptr;
    QAction* m_fullScreenAction = nullptr;
    QAction* m_functionCallsAction = nullptr;
    QAction* m_animatedRestoreAction = nullptr; // restoring a position moves there in steps
    QAction* m_printAction = nullptr;
    QAction* m_pageSetupAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_saveImageAction = nullptr;
    QAction* m_viewMenuAction = nullptr; // the menu "表示"
    QAction* m_helpMenuAction = nullptr; // the menu "ﾍﾙﾌﾟ(&H)"
    QMenu* m_animationMenu = nullptr;
    QMenu* m_displayModesMenu = nullptr;
    QList<QToolButton*> m_toolButtons;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolbar(QWidget* central);
    void buildStatusBar(QWidget* central);
    QWidget* buildMiddle(QWidget* central);
    void buildPanels();
    void buildCurveTools();
    void installHooks();
    PlotHooks plotHooks();
    void restoreStoredItem(int slot);
    void readCommandLine();
    void settingChanged(Setting setting);
    void updateCoordinates(int x, int y);
    void relayout();
    void installPlotHandlers();
    // Runs a command, showing an error that escapes it in the error box.
    void guarded(const std::function<void()>& command);
    template <typename Sender, typename Signal>
    void connectCommand(Sender* sender, Signal signal, void (MainWindow::*command)());

    DialogService& m_dialogs;
    QStringList m_arguments;
    Document m_document;
    QImageSurface m_surface;
    PlotView m_plotView;
    KeyState* m_keys = nullptr;
    HelpViewer m_help;
    GraphList* m_graphList = nullptr;
    GraphDialog* m_graphDialog = nullptr;
    ConstantsPanel* m_constantsPanel = nullptr;
    SettingsPanel* m_settingsPanel = nullptr;
    CurveTools* m_curveTools = nullptr;
    bool m_startMaximized = false;
};

} // namespace velquor
