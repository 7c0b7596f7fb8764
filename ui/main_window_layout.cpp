// The main window's layout: menus, toolbar, status bar, left panel, splitter and plot area.
#include "constants_panel.h"
#include "curve_tools.h"
#include "graph_list.h"
#include "main_window.h"
#include "pictures.h"
#include "platform/plot_widget.h"
#include "recent_files.h"
#include "settings_panel.h"
#include "splitter_bar.h"
#include "tracer_field.h"
#include "velquor_application.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QToolButton>
#include <QUndoStack>
#include <tuple>

namespace velquor {

namespace {

    QFrame* frame(QWidget* parent, const char* name)
    {
        auto* result = new QFrame(parent);
        result->setObjectName(QString::fromLatin1(name));
        return result;
    }

    QFrame* sunkenPanel(QWidget* parent, const char* name, int width)
    {
        QFrame* panel = frame(parent, name);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
        panel->setFixedWidth(width);
        return panel;
    }

} // namespace

template <typename Sender, typename Signal>
void MainWindow::connectCommand(Sender* sender, Signal signal, void (MainWindow::*command)())
{
    connect(sender, signal, this,
        [this, command] { guarded([this, command] { (this->*command)(); }); });
}

void MainWindow::buildPanels()
{
    setWindowTitle(QStringLiteral("Velquor"));
    setWindowIcon(QIcon(windowIcon()));
    setFont(VelquorApplication::interfaceFont());
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("client"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildToolbar(central);
    column->addWidget(m_toolbar);
    column->addWidget(buildMiddle(central), 1);
    m_statusBarSpacer = frame(central, "statusBarSpacer");
    m_statusBarSpacer->setFixedHeight(4);
    column->addWidget(m_statusBarSpacer);
    buildStatusBar(central);
    column->addWidget(m_statusBar);
    buildCurveTools(); // on the plot, the toolbar and the status bar; before the menus
    setCentralWidget(central);
    buildMenus();
    // The window area below the menu bar is 601 x 442 (toolbar 54, plot 364, gap 4, status
    // bar 20), which gives the plot its designed 445 x 364. The menu bar's height is the
    // style's and the font's (18 pixels here, not the 19 the layout was drawn with), so the
    // window's height is taken from it.
    constexpr int WindowWidth = 601;
    constexpr int HeightBelowMenuBar = 442;
    move(197, 99);
    resize(WindowWidth, HeightBelowMenuBar + menuBar()->heightForWidth(WindowWidth));

    m_tickTimer = new QTimer(this);
    m_tickTimer->setObjectName(QStringLiteral("tickTimer"));
    m_tickTimer->setInterval(10);
    connect(m_tickTimer, &QTimer::timeout, this, [this] { guarded([this] { tick(); }); });
    m_tickTimer->start();
}

void MainWindow::buildCurveTools()
{
    CurveToolsHooks hooks;
    hooks.selectedSlot = [this] { return m_graphList->selectedSlot() - 1; };
    hooks.viewAtRest = [this] { return m_plotView.settleTicks == 0; };
    // The traced point has a row of its own while the tracer is on, as wide as the window (the
    // plot gives up its height); the mouse's coordinates make way for it.
    hooks.showStatus = [this](const QString& text) {
        m_tracerField->setTracerText(text);
        m_tracerField->setVisible(m_curveTools->tracerOn());
        if (m_tracerField->isVisibleTo(m_statusBar))
            m_coordinatesLabel->clear();
    };
    m_coordinatesLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_curveTools = new CurveTools(m_document, *m_plot, m_dialogs, this, std::move(hooks));
    // After the seven buttons, on the same 56-pixel pitch.
    m_curveTools->makeToolButton(m_toolbar)->setGeometry(411, 4, 54, 47);
}

void MainWindow::buildToolbar(QWidget* central)
{
    m_toolbar = frame(central, "toolbar");
    m_toolbar->setFixedHeight(54);
    m_menuRule = frame(m_toolbar, "menuRule");
    m_menuRule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    m_menuRule->setGeometry(0, 0, 4096, 2);
    auto* toolbarSeparator = frame(m_toolbar, "toolbarSeparator");
    toolbarSeparator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    toolbarSeparator->setGeometry(178, 4, 2, 47);

    struct Button
    {
        int x;
        const char* caption;
        ToolbarGlyph glyph;
        void (MainWindow::*command)();
    };
    const Button buttons[] = {
        { 3, "新規", ToolbarGlyph::New, &MainWindow::newDocument },
        { 59, "開く", ToolbarGlyph::Open, &MainWindow::openDocument },
        { 115, "保存", ToolbarGlyph::Save, &MainWindow::saveDocument },
        { 187, "追加", ToolbarGlyph::Add, &MainWindow::addGraph },
        { 243, "原点", ToolbarGlyph::Origin, &MainWindow::backToOrigin },
        { 299, "設定", ToolbarGlyph::Settings, &MainWindow::toggleSettingsPanel },
        { 355, "ヘルプ", ToolbarGlyph::Help, &MainWindow::showHelp },
    };
    for (const Button& spec : buttons) {
        auto* button = new QToolButton(m_toolbar);
        button->setText(QString::fromUtf8(spec.caption));
        button->setIcon(QIcon(toolbarGlyph(spec.glyph)));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(spec.x, 4, 54, 47);
        connectCommand(button, &QToolButton::clicked, spec.command);
        m_toolButtons.append(button);
    }
}

void MainWindow::buildStatusBar(QWidget* central)
{
    m_statusBar = frame(central, "statusBar");
    // A row of 20 pixels, and above it the tracer's row while the tracer is on.
    m_statusBar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* rows = new QVBoxLayout(m_statusBar);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    m_tracerField = new TracerField(m_statusBar);
    m_tracerField->hide();
    rows->addWidget(m_tracerField);
    auto* fields = frame(m_statusBar, "statusFields");
    fields->setFixedHeight(20);
    rows->addWidget(fields);
    auto* row = new QHBoxLayout(fields);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_coordinatesLabel = new QLabel(m_statusBar);
    m_coordinatesLabel->setObjectName(QStringLiteral("coordinatesLabel"));
    m_coordinatesLabel->setContentsMargins(4, 0, 4, 0);
    row->addWidget(m_coordinatesLabel, 1);
    auto* coordinatesSeparator = frame(m_statusBar, "coordinatesSeparator");
    coordinatesSeparator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    coordinatesSeparator->setFixedWidth(2);
    row->addWidget(coordinatesSeparator);

    auto* sliderFrame = frame(m_statusBar, "zoomSliderFrame");
    sliderFrame->setFixedWidth(229);
    m_zoomSlider = new QSlider(Qt::Horizontal, sliderFrame);
    m_zoomSlider->setObjectName(QStringLiteral("zoomSlider"));
    m_zoomSlider->setGeometry(0, -1, 226, 22);
    m_zoomSlider->setRange(1, 500);
    m_zoomSlider->setPageStep(50);
    m_zoomSlider->setValue(40);
    m_zoomSlider->setTickPosition(QSlider::NoTicks);
    m_zoomSlider->setToolTip(QStringLiteral("拡大率"));
    m_zoomSlider->setFocusPolicy(Qt::NoFocus);
    connectCommand(m_zoomSlider, &QSlider::valueChanged, &MainWindow::zoomSliderMoved);
    row->addWidget(sliderFrame);

    QFrame* zoomFrame = sunkenPanel(m_statusBar, "zoomFrame", 72);
    auto* zoomFrameLayout = new QHBoxLayout(zoomFrame);
    zoomFrameLayout->setContentsMargins(1, 1, 1, 1);
    m_zoomLabel = new QLabel(QStringLiteral("10"), zoomFrame);
    m_zoomLabel->setObjectName(QStringLiteral("zoomLabel"));
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    zoomFrameLayout->addWidget(m_zoomLabel);
    row->addWidget(zoomFrame);

    QFrame* busyFrame = sunkenPanel(m_statusBar, "busyFrame", 69);
    auto* busy = new QLabel(QStringLiteral("  Busy"), busyFrame);
    busy->setGeometry(1, 1, 44, 18);
    busy->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_busyLamp = frame(busyFrame, "busyLamp");
    m_busyLamp->setGeometry(47, 6, 8, 8);
    m_busyLamp->setAutoFillBackground(true);
    QPalette palette = m_busyLamp->palette();
    palette.setColor(QPalette::Window, Qt::black);
    m_busyLamp->setPalette(palette);
    row->addWidget(busyFrame);
}

QWidget* MainWindow::buildMiddle(QWidget* central)
{
    auto* middle = new QWidget(central);
    auto* row = new QHBoxLayout(middle);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_leftPanel = frame(middle, "leftPanel");
    m_leftPanel->setFixedWidth(152);
    auto* left = new QVBoxLayout(m_leftPanel);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    m_constantsPanel = new ConstantsPanel(m_document, m_dialogs, m_leftPanel);
    m_constantsPanel->setObjectName(QStringLiteral("constantsPanel"));
    m_constantsPanel->setFixedHeight(64);
    left->addWidget(m_constantsPanel);
    QFrame* gap = frame(m_leftPanel, "leftPanelGap");
    gap->setFixedHeight(3);
    left->addWidget(gap);
    m_graphList = new GraphList(m_document, m_leftPanel);
    m_graphList->openEntry = [this](int slot) { guarded([this, slot] { openEntry(slot); }); };
    m_graphList->redraw = [this] { RedrawPlot(); };
    m_graphList->changeDocument = [this](const QString& what, const std::function<void()>& change) {
        documentCommand(what, change);
    };
    left->addWidget(m_graphList, 1);
    row->addWidget(m_leftPanel);

    m_splitter = new SplitterBar(central, middle);
    m_splitter->endDrag = [this] { guarded([this] { splitterDragEnded(); }); };
    m_splitter->resizeTo = [this](int width) { m_leftPanel->setFixedWidth(width); };
    row->addWidget(m_splitter);

    m_plotArea = frame(middle, "plotArea");
    auto* plotArea = new QGridLayout(m_plotArea);
    plotArea->setContentsMargins(0, 0, 0, 0);
    m_plot = new PlotWidget(m_surface, m_plotArea);
    m_plot->setObjectName(QStringLiteral("plot"));
    m_plot->setMouseTracking(true);
    m_plot->installEventFilter(this);
    installPlotHandlers();
    plotArea->addWidget(m_plot, 0, 0);
    m_settingsPanel = new SettingsPanel(m_document, m_dialogs, m_plotArea);
    m_settingsPanel->setObjectName(QStringLiteral("settingsPanel"));
    m_settingsPanel->setRedraw([this] { RedrawPlot(); });
    m_settingsPanel->hide();
    plotArea->addWidget(m_settingsPanel, 0, 0);
    row->addWidget(m_plotArea, 1);
    return middle;
}

void MainWindow::buildMenus()
{
    auto item = [this](QMenu* menu, const char* caption, void (MainWindow::*command)()) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        if (command)
            connectCommand(action, &QAction::triggered, command);
        return action;
    };
    auto checked = [](QAction* action, const char* name) {
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(true);
        return action;
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    // Qt's standard keys where it has them; the fallback where the desktop defines none.
    auto keys = [](QAction* action, QKeySequence::StandardKey standard, QKeySequence fallback) {
        QList<QKeySequence> sequences = QKeySequence::keyBindings(standard);
        if (sequences.isEmpty())
            sequences = { fallback };
        action->setShortcuts(sequences);
        return action;
    };

    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    keys(item(file, "新規作成(&N)", &MainWindow::newDocument), QKeySequence::New,
        QKeySequence(Qt::CTRL | Qt::Key_N));
    keys(item(file, "開く(&O)...", &MainWindow::openDocument), QKeySequence::Open,
        QKeySequence(Qt::CTRL | Qt::Key_O));
    keys(item(file, "上書き保存(&S)", &MainWindow::saveDocument), QKeySequence::Save,
        QKeySequence(Qt::CTRL | Qt::Key_S));
    keys(item(file, "名前をつけて保存(&A)...", &MainWindow::saveDocumentAs), QKeySequence::SaveAs,
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    m_printAction = keys(item(file, "印刷(&P)...", nullptr), QKeySequence::Print,
        QKeySequence(Qt::CTRL | Qt::Key_P));
    m_pageSetupAction = item(file, "ﾍﾟｰｼﾞ設定(&R)...", nullptr);
    file->addSeparator();
    file->addMenu(m_recentFiles->menu(this));
    file->addSeparator();
    keys(item(file, "終了(&X)", &MainWindow::quit), QKeySequence::Quit,
        QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("editMenu"));
    m_undoAction = keys(item(edit, "元に戻す(&U)", &MainWindow::undo), QKeySequence::Undo,
        QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_undoAction->setObjectName(QStringLiteral("undoAction"));
    m_redoAction = item(edit, "やり直し(&R)", &MainWindow::redo);
    m_redoAction->setObjectName(QStringLiteral("redoAction"));
    m_redoAction->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) });
    // What each would do shows as its tip, in the menu too: "元に戻す: グラフの削除".
    edit->setToolTipsVisible(true);
    const auto describe = [](QAction* action, const QString& prefix, const QString& step) {
        const QString tip = step.isEmpty() ? QString() : prefix + QStringLiteral(": ") + step;
        action->setStatusTip(tip);
        action->setToolTip(tip.isEmpty() ? prefix : tip);
    };
    for (const auto& [action, prefix, canChanged, textChanged] :
        { std::tuple { m_undoAction, QStringLiteral("元に戻す"), &QUndoStack::canUndoChanged,
              &QUndoStack::undoTextChanged },
            std::tuple { m_redoAction, QStringLiteral("やり直し"), &QUndoStack::canRedoChanged,
                &QUndoStack::redoTextChanged } }) {
        action->setEnabled(false);
        describe(action, prefix, QString());
        connect(m_undoStack, canChanged, action, &QAction::setEnabled);
        connect(m_undoStack, textChanged, action,
            [action, prefix, describe](const QString& step) { describe(action, prefix, step); });
    }
    edit->addSeparator();
    m_copyAction = item(edit, "ｺﾋﾟｰ(&C)", nullptr);
    m_copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    edit->addSeparator();
    m_saveImageAction = item(edit, "画像として保存(&G)...", nullptr);

    QMenu* show = bar->addMenu(QStringLiteral("表示"));
    show->setObjectName(QStringLiteral("viewMenu"));
    m_showGraphListAction
        = checked(item(show, "グラフリスト", &MainWindow::toggleGraphList), "showGraphListAction");
    m_showToolbarAction
        = checked(item(show, "ツールバー", &MainWindow::toggleToolbar), "showToolbarAction");
    m_showStatusBarAction = checked(
        item(show, "ステータスバー", &MainWindow::toggleStatusBar), "showStatusBarAction");

    QMenu* graph = bar->addMenu(QStringLiteral("グラフ(&G)"));
    item(graph, "追加(&A)", &MainWindow::addGraph);
    QAction* remove = graph->addAction(QStringLiteral("削除&D)"));
    // Shown here, taken by the graph list only (elsewhere Delete belongs to the text boxes).
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, this,
        [this] { guarded([this] { m_graphList->deleteSelected(); }); });
    graph->addSeparator();
    item(graph, "原点へ戻る", &MainWindow::backToOrigin);
    graph->addSeparator();
    item(graph, "アニメーション開始", &MainWindow::startAnimation);
    m_traceModeAction = item(graph, "軌跡モード", &MainWindow::toggleTraceMode);
    m_traceModeAction->setObjectName(QStringLiteral("traceModeAction"));
    m_traceModeAction->setCheckable(true);
    m_functionCallsAction = checked(
        item(graph, "関数呼び出し機能", &MainWindow::toggleFunctionCalls), "functionCallsAction");
    m_functionCallsAction->setVisible(false);
    m_curveTools->addMenuItems(graph);

    QMenu* screen = bar->addMenu(QStringLiteral("画面(&S)"));
    m_fullScreenAction = item(screen, "全画面表示", nullptr);
    m_fullScreenAction->setObjectName(QStringLiteral("fullScreenAction"));
    m_fullScreenAction->setCheckable(true);
    screen->addSeparator();
    m_displayModesMenu = screen->addMenu(QStringLiteral("解像度"));
    m_displayModesMenu->setObjectName(QStringLiteral("displayModesMenu"));
    screen->addSeparator();
    item(screen, "度表示に設定", &MainWindow::switchToDegrees);
    screen->addSeparator();
    item(screen, "位置情報の追加", &MainWindow::addStoredPosition);
    item(screen, "定数a,b情報の追加", &MainWindow::addStoredConstants);
    screen->addSeparator();
    m_animationMenu = screen->addMenu(QStringLiteral("アニメーション"));
    m_animationMenu->setObjectName(QStringLiteral("animationMenu"));
    m_animationMenu->menuAction()->setVisible(false);
    m_animatedRestoreAction = checked(
        m_animationMenu->addAction(QStringLiteral("位置情報の呼び出し")), "animatedRestoreAction");
    item(screen, "設定", &MainWindow::toggleSettingsPanel);

    QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("helpMenu"));
    keys(item(help, "目次(&C)", &MainWindow::showHelp), QKeySequence::HelpContents,
        QKeySequence(Qt::Key_F1));
    help->addSeparator();
    item(help, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", &MainWindow::showAbout);
    m_viewMenuAction = show->menuAction();
    m_helpMenuAction = help->menuAction();
}

} // namespace velquor
