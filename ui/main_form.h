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

class DialogService;
class GraphList;
class PlotWidget;
class SplitterBar;
class TInputDlg;
class ConstantsPanel;
class SettingsPanel;

// The main window: owns the document, the plot surface and the redraw cycle for the whole
// run, and reaches every command from its menus, toolbar and panels.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // arguments: the command line without the program name. The dialog service answers every
    // question (tests pass a scripted one).
    TMainForm(DialogService& dialogs, const QStringList& arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Shows the window, maximised when the command line asked for it.
    void showAtStartup();
    bool startMaximized() const { return m_startMaximized; }

    Document& document() { return m_document; }
    PlotView& plotView() { return m_plotView; }
    QImageSurface& surface() { return m_surface; }
    GraphList& graphList() { return *m_graphList; }
    TInputDlg& inputDlg() { return *m_inputDlg; }
    HelpViewer& help() { return m_help; }
    void RedrawPlot() { m_plotView.RedrawPlot(); }

    // Commands, named after their controls and events.
    void FormCreate();
    void New2Click();
    void Open2Click();
    void Save2Click();
    void SaveAs2Click();
    void loadDocument(const QString& path); // Open's load: redraw, then rebuild the list
    void ToolButton6Click(); // add a graph
    void TreeView1DblClick(int slot); // slot from 1, dispatched by kind
    void ToolButton1Click(); // back to the origin
    void SpeedButton1Click(); // settings panel
    void N5Click();
    void N14Click();
    void N16Click();
    void N7Click();
    void N10Click();
    void N15Click();
    void N21Click();
    void ab1Click();
    void N23Click();
    void Contents1Click();
    void About1Click();
    void Exit2Click();
    void Splitter2EndDrag();
    void TrackBar1Change();
    void DXTimer1Timer() { m_plotView.tick(); }
    // Wheel zoom about a surface pixel: notches > 0 zoom in.
    void zoomAbout(int x, int y, int notches);
    // The coordinates text of Panel5 for a surface pixel.
    QString coordinatesText(int x, int y) const;

    // Controls, by their names.
    QFrame* Panel12 = nullptr; // toolbar
    QFrame* Bevel7 = nullptr;
    QFrame* Panel1 = nullptr; // status bar
    QFrame* Panel4 = nullptr; // spacer above the status bar
    QFrame* Panel9 = nullptr; // left panel
    SplitterBar* Splitter2 = nullptr;
    QFrame* Panel3 = nullptr; // plot area
    PlotWidget* DXDraw1 = nullptr;
    QLabel* ZoomPanel = nullptr;
    QFrame* BusyStatPanel = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Panel5 = nullptr;
    QTimer* DXTimer1 = nullptr;
    QWidget* Panel11 = nullptr; // constants panel
    QWidget* Panel6 = nullptr; // settings panel
    QAction *N5 = nullptr, *N14 = nullptr, *N16 = nullptr, *N10 = nullptr, *N12 = nullptr,
            *N23 = nullptr, *N25 = nullptr;
    QAction *Print2 = nullptr, *PrintSetup2 = nullptr, *Copy2 = nullptr, *Links1 = nullptr;
    QAction *Show2 = nullptr, *Help1 = nullptr; // the menus "表示" and "ﾍﾙﾌﾟ(&H)"
    QMenu* N24 = nullptr;
    QMenu* ModesMenu = nullptr;
    QList<QToolButton*> toolButtons;

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
    void connectCommand(Sender* sender, Signal signal, void (TMainForm::*command)());

    DialogService& m_dialogs;
    QStringList m_arguments;
    Document m_document;
    QImageSurface m_surface;
    PlotView m_plotView;
    KeyState* m_keys = nullptr;
    HelpViewer m_help;
    GraphList* m_graphList = nullptr;
    TInputDlg* m_inputDlg = nullptr;
    ConstantsPanel* m_constantsPanel = nullptr;
    SettingsPanel* m_settingsPanel = nullptr;
    bool m_startMaximized = false;
};

} // namespace velquor
