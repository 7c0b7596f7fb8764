#pragma once

#include "document/document.h"
#include "platform/help_viewer.h"
#include "platform/key_state.h"
#include "platform/qimage_surface.h"
#include "render/plot_view.h"
#include "ui/undo_commands.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSlider;
class QToolButton;
class QUndoStack;

namespace velquor {

class CurveTools;
class RecentFiles;
class RecoveryController;
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
    ConstantsPanel& constantsPanel() { return *m_constantsPanel; }
    SettingsPanel& settingsPanel() { return *m_settingsPanel; }
    RecoveryController& recovery() { return *m_recovery; }
    RecentFiles& recentFiles() { return *m_recentFiles; }
    void RedrawPlot() { m_plotView.RedrawPlot(); }

    // The start of a document's view: the table emptied and the origin centred; the first
    // call (from the constructor) also reads the command line. Draws nothing.
    void initialiseView();
    void newDocument();
    void openDocument();
    void saveDocument();
    void saveDocumentAs();
    void loadDocument(const QString& path); // redraws, then rebuilds the list
    // An item of "最近使ったファイル(&R)": loads it; a file that no longer exists also leaves
    // the list (the open error is thrown all the same).
    void openRecentFile(const QString& path);
    // At start: offers the recovery copy that an instance which did not end cleanly left.
    void offerRecovery();
    // Loads a recovery copy's bytes under the document's own file name and marks the document
    // changed; redraws, then rebuilds the list.
    void restoreRecoveredDocument(const std::string& bytes, const QString& fileName);
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
    void undo();
    void redo();

    // The document's history. Every change the user makes to the entries or the settings is
    // one step of the undo stack; a load, New and a save set its clean point.
    // True when the document differs from what was last loaded or saved.
    bool hasUnsavedChanges() const;
    // The question before the document is replaced or the window closes: when there are
    // unsaved changes, "変更を保存しますか？" with "はい(&Y)" (save; through Save As without a
    // file name), "いいえ(&N)" and "キャンセル". True when the caller may go on: nothing to save,
    // "いいえ(&N)", or a save that succeeded.
    bool confirmDiscardChanges();
    QUndoStack* undoStack() const { return m_undoStack; }
    // The document as it is now is where the history starts (as after a load or New): the
    // stack is emptied and this is its clean state.
    void resetHistory();
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
    QAction* m_undoAction = nullptr; // "元に戻す(&U)"
    QAction* m_redoAction = nullptr; // "やり直し(&R)"
    QAction* m_saveImageAction = nullptr;
    QAction* m_viewMenuAction = nullptr; // the menu "表示"
    QAction* m_helpMenuAction = nullptr; // the menu "ﾍﾙﾌﾟ(&H)"
    QMenu* m_animationMenu = nullptr;
    QMenu* m_displayModesMenu = nullptr;
    QList<QToolButton*> m_toolButtons;

signals:
    // After every change of the undo stack's position: a command, an undo or a redo, and the
    // start of a new history (New, a load).
    void documentModified();

protected:
    void closeEvent(QCloseEvent* event) override;
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
    void buildHistory();
    // Runs a command that changes the document and records what it changed as one undo step
    // named what (nothing when it changed nothing, also after an error).
    void documentCommand(const QString& what, const std::function<void()>& change);
    // Records the difference between the document and the last step as a step named what,
    // with the view when the degree question changed it.
    void recordChanges(const QString& what, int selectedBefore, std::int32_t countBefore);
    // Changes made outside any command (the live controls of the settings panel) become a step.
    void flushPendingChanges();
    void settingChangedOutsideCommand(Setting setting);
    void pushStep(const QString& what, StepSide before, StepSide after, MergeKind merge);
    void restoreStep(const StepSide& side);
    bool saveAnswered(); // "はい(&Y)" to the question: true when the document was saved

    void readCommandLine();
    void settingChanged(Setting setting);
    void updateCoordinates(int x, int y);
    void relayout();
    void installPlotHandlers();
    // After the document was replaced by a load: draws it afresh and lists its entries.
    void showReplacedDocument();
    void setUpSession(); // the recovery copy and the recent files
    void connectDocumentChanges();
    // A load or save of path succeeded.
    void fileOpenedOrSaved(const QString& path);
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
    RecoveryController* m_recovery = nullptr;
    RecentFiles* m_recentFiles = nullptr;
    bool m_startMaximized = false;
    QUndoStack* m_undoStack = nullptr;
    std::shared_ptr<const DocumentState> m_lastStep; // the document as the history knows it
    std::optional<ViewState> m_viewBeforeQuestion; // set when the degree question may move it
    int m_changeDepth = 0; // > 0 while a command or a restore changes the document
    bool m_restoringStep = false;
    QPointer<QWidget> m_focusBeforeSettings; // the focus to give back when the panel closes
};

} // namespace velquor
