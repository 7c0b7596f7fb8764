// The main window's layout: menus, toolbar, status bar, left panel, splitter and plot area.
#include "constants_panel.h"
#include "graph_list.h"
#include "main_form.h"
#include "pictures.h"
#include "platform/plot_widget.h"
#include "settings_panel.h"
#include "splitter_bar.h"
#include "velquor_application.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QToolButton>

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
void TMainForm::connectCommand(Sender* sender, Signal signal, void (TMainForm::*command)())
{
    connect(sender, signal, this,
        [this, command] { guarded([this, command] { (this->*command)(); }); });
}

void TMainForm::buildPanels()
{
    setWindowTitle(QStringLiteral("Velquor"));
    setWindowIcon(QIcon(windowIcon()));
    setFont(VelquorApplication::interfaceFont());
    setAcceptDrops(true);
    // Outer size 609 x 488 of the original frame: a client area of 601 x 461 holds the plot
    // control at its designed 445 x 364 below a menu bar of 19 pixels.
    move(197, 99);
    resize(601, 461);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildToolbar(central);
    column->addWidget(Panel12);
    column->addWidget(buildMiddle(central), 1);
    Panel4 = frame(central, "Panel4");
    Panel4->setFixedHeight(4);
    column->addWidget(Panel4);
    buildStatusBar(central);
    column->addWidget(Panel1);
    setCentralWidget(central);
    buildMenus();

    DXTimer1 = new QTimer(this);
    DXTimer1->setObjectName(QStringLiteral("DXTimer1"));
    DXTimer1->setInterval(10);
    connect(DXTimer1, &QTimer::timeout, this, [this] { guarded([this] { DXTimer1Timer(); }); });
    DXTimer1->start();
}

void TMainForm::buildToolbar(QWidget* central)
{
    Panel12 = frame(central, "Panel12");
    Panel12->setFixedHeight(54);
    Bevel7 = frame(Panel12, "Bevel7");
    Bevel7->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel7->setGeometry(0, 0, 4096, 2);
    auto* bevel8 = frame(Panel12, "Bevel8");
    bevel8->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    bevel8->setGeometry(178, 4, 2, 47);

    struct Button
    {
        int x;
        const char* caption;
        ToolbarGlyph glyph;
        void (TMainForm::*command)();
    };
    const Button buttons[] = {
        { 3, "新規", ToolbarGlyph::New, &TMainForm::New2Click },
        { 59, "開く", ToolbarGlyph::Open, &TMainForm::Open2Click },
        { 115, "保存", ToolbarGlyph::Save, &TMainForm::Save2Click },
        { 187, "追加", ToolbarGlyph::Add, &TMainForm::ToolButton6Click },
        { 243, "原点", ToolbarGlyph::Origin, &TMainForm::ToolButton1Click },
        { 299, "設定", ToolbarGlyph::Settings, &TMainForm::SpeedButton1Click },
        { 355, "ヘルプ", ToolbarGlyph::Help, &TMainForm::Contents1Click },
    };
    for (const Button& spec : buttons) {
        auto* button = new QToolButton(Panel12);
        button->setText(QString::fromUtf8(spec.caption));
        button->setIcon(QIcon(toolbarGlyph(spec.glyph)));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(spec.x, 4, 54, 47);
        connectCommand(button, &QToolButton::clicked, spec.command);
        toolButtons.append(button);
    }
}

void TMainForm::buildStatusBar(QWidget* central)
{
    Panel1 = frame(central, "Panel1");
    Panel1->setFixedHeight(20);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    Panel5 = new QLabel(Panel1);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setContentsMargins(4, 0, 4, 0);
    row->addWidget(Panel5, 1);
    auto* bevel12 = frame(Panel1, "Bevel12");
    bevel12->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    bevel12->setFixedWidth(2);
    row->addWidget(bevel12);

    auto* panel13 = frame(Panel1, "Panel13");
    panel13->setFixedWidth(229);
    TrackBar1 = new QSlider(Qt::Horizontal, panel13);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setGeometry(0, -1, 226, 22);
    TrackBar1->setRange(1, 500);
    TrackBar1->setPageStep(50);
    TrackBar1->setValue(40);
    TrackBar1->setTickPosition(QSlider::NoTicks);
    TrackBar1->setToolTip(QStringLiteral("拡大率"));
    TrackBar1->setFocusPolicy(Qt::NoFocus);
    connectCommand(TrackBar1, &QSlider::valueChanged, &TMainForm::TrackBar1Change);
    row->addWidget(panel13);

    QFrame* panel8 = sunkenPanel(Panel1, "Panel8", 72);
    auto* panel8Layout = new QHBoxLayout(panel8);
    panel8Layout->setContentsMargins(1, 1, 1, 1);
    ZoomPanel = new QLabel(QStringLiteral("10"), panel8);
    ZoomPanel->setObjectName(QStringLiteral("ZoomPanel"));
    ZoomPanel->setAlignment(Qt::AlignCenter);
    panel8Layout->addWidget(ZoomPanel);
    row->addWidget(panel8);

    QFrame* panel2 = sunkenPanel(Panel1, "Panel2", 69);
    auto* busy = new QLabel(QStringLiteral("  Busy"), panel2);
    busy->setGeometry(1, 1, 44, 18);
    busy->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    BusyStatPanel = frame(panel2, "BusyStatPanel");
    BusyStatPanel->setGeometry(47, 6, 8, 8);
    BusyStatPanel->setAutoFillBackground(true);
    QPalette palette = BusyStatPanel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    BusyStatPanel->setPalette(palette);
    row->addWidget(panel2);
}

QWidget* TMainForm::buildMiddle(QWidget* central)
{
    auto* middle = new QWidget(central);
    auto* row = new QHBoxLayout(middle);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    Panel9 = frame(middle, "Panel9");
    Panel9->setFixedWidth(152);
    auto* left = new QVBoxLayout(Panel9);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    m_constantsPanel = new ConstantsPanel(m_document, m_dialogs, Panel9);
    m_constantsPanel->setObjectName(QStringLiteral("Panel11"));
    m_constantsPanel->setFixedHeight(64);
    Panel11 = m_constantsPanel;
    left->addWidget(Panel11);
    QFrame* panel14 = frame(Panel9, "Panel14");
    panel14->setFixedHeight(3);
    left->addWidget(panel14);
    m_graphList = new GraphList(m_document, Panel9);
    m_graphList->openEntry
        = [this](int slot) { guarded([this, slot] { TreeView1DblClick(slot); }); };
    m_graphList->redraw = [this] { RedrawPlot(); };
    left->addWidget(m_graphList, 1);
    row->addWidget(Panel9);

    Splitter2 = new SplitterBar(central, middle);
    Splitter2->endDrag = [this] { guarded([this] { Splitter2EndDrag(); }); };
    Splitter2->resizeTo = [this](int width) { Panel9->setFixedWidth(width); };
    row->addWidget(Splitter2);

    Panel3 = frame(middle, "Panel3");
    auto* plotArea = new QGridLayout(Panel3);
    plotArea->setContentsMargins(0, 0, 0, 0);
    DXDraw1 = new PlotWidget(m_surface, Panel3);
    DXDraw1->setObjectName(QStringLiteral("DXDraw1"));
    DXDraw1->setMouseTracking(true);
    DXDraw1->installEventFilter(this);
    installPlotHandlers();
    plotArea->addWidget(DXDraw1, 0, 0);
    m_settingsPanel = new SettingsPanel(m_document, m_dialogs, Panel3);
    m_settingsPanel->setObjectName(QStringLiteral("Panel6"));
    m_settingsPanel->setRedraw([this] { RedrawPlot(); });
    m_settingsPanel->hide();
    Panel6 = m_settingsPanel;
    plotArea->addWidget(Panel6, 0, 0);
    row->addWidget(Panel3, 1);
    return middle;
}

void TMainForm::buildMenus()
{
    auto item = [this](QMenu* menu, const char* caption, void (TMainForm::*command)()) {
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
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    item(file, "新規作成(&N)", &TMainForm::New2Click);
    item(file, "開く(&O)...", &TMainForm::Open2Click);
    item(file, "上書き保存(&S)", &TMainForm::Save2Click);
    item(file, "名前をつけて保存(&A)...", &TMainForm::SaveAs2Click);
    file->addSeparator();
    Print2 = item(file, "印刷(&P)...", nullptr);
    PrintSetup2 = item(file, "ﾍﾟｰｼﾞ設定(&R)...", nullptr);
    file->addSeparator();
    item(file, "終了(&X)", &TMainForm::Exit2Click);

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    Copy2 = item(edit, "ｺﾋﾟｰ(&C)", nullptr);
    Copy2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    edit->addSeparator();
    Links1 = item(edit, "画像として保存(&G)...", nullptr);

    QMenu* show = bar->addMenu(QStringLiteral("表示"));
    show->setObjectName(QStringLiteral("Show2"));
    N5 = checked(item(show, "グラフリスト", &TMainForm::N5Click), "N5");
    N14 = checked(item(show, "ツールバー", &TMainForm::N14Click), "N14");
    N16 = checked(item(show, "ステータスバー", &TMainForm::N16Click), "N16");

    QMenu* graph = bar->addMenu(QStringLiteral("グラフ(&G)"));
    item(graph, "追加(&A)", &TMainForm::ToolButton6Click);
    QAction* remove = graph->addAction(QStringLiteral("削除&D)"));
    connect(remove, &QAction::triggered, this,
        [this] { guarded([this] { m_graphList->Delete1Click(); }); });
    graph->addSeparator();
    item(graph, "原点へ戻る", &TMainForm::ToolButton1Click);
    graph->addSeparator();
    item(graph, "アニメーション開始", &TMainForm::N7Click);
    N10 = item(graph, "軌跡モード", &TMainForm::N10Click);
    N10->setObjectName(QStringLiteral("N10"));
    N10->setCheckable(true);
    N23 = checked(item(graph, "関数呼び出し機能", &TMainForm::N23Click), "N23");
    N23->setVisible(false);

    QMenu* screen = bar->addMenu(QStringLiteral("画面(&S)"));
    N12 = item(screen, "全画面表示", nullptr);
    N12->setObjectName(QStringLiteral("N12"));
    N12->setCheckable(true);
    screen->addSeparator();
    ModesMenu = screen->addMenu(QStringLiteral("解像度"));
    ModesMenu->setObjectName(QStringLiteral("ModesMenu"));
    screen->addSeparator();
    item(screen, "度表示に設定", &TMainForm::N15Click);
    screen->addSeparator();
    item(screen, "位置情報の追加", &TMainForm::N21Click);
    item(screen, "定数a,b情報の追加", &TMainForm::ab1Click);
    screen->addSeparator();
    N24 = screen->addMenu(QStringLiteral("アニメーション"));
    N24->setObjectName(QStringLiteral("N24"));
    N24->menuAction()->setVisible(false);
    N25 = checked(N24->addAction(QStringLiteral("位置情報の呼び出し")), "N25");
    item(screen, "設定", &TMainForm::SpeedButton1Click);

    QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("Help1"));
    item(help, "目次(&C)", &TMainForm::Contents1Click);
    help->addSeparator();
    item(help, "ﾊﾞｰｼﾞｮﾝ情報(&A)...", &TMainForm::About1Click);
    Show2 = show->menuAction();
    Help1 = help->menuAction();
}

} // namespace velquor
