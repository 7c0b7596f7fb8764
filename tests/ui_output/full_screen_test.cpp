#include "calc/error.h"
#include "document/document.h"
#include "platform/emulated_display.h"
#include "platform/plot_widget.h"
#include "platform/qimage_surface.h"
#include "render/plot_view.h"
#include "test_support.h"
#include "ui/full_screen.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using namespace velquor;

namespace {

// Passes every request on to the emulated display and writes down, for each, the state of the
// window and the flags at that moment, so that the order of the steps can be compared.
class LoggingSurface final : public SurfaceComponent
{
public:
    LoggingSurface(EmulatedDisplay& inner, std::function<QString()> state)
        : m_inner(inner)
        , m_state(std::move(state))
    {
    }
    void finalize() override
    {
        log << QStringLiteral("finalize ") + m_state();
        m_inner.finalize();
    }
    void initialize() override
    {
        log << QStringLiteral("initialize ") + m_state();
        m_inner.initialize();
        raiseInitialize();
    }
    SurfaceOptions options() const override { return m_inner.options(); }
    void setOptions(const SurfaceOptions& options) override
    {
        log << QStringLiteral("options exclusive=%1 ").arg(options.exclusiveFullScreen) + m_state();
        m_inner.setOptions(options);
    }
    DisplaySettings& displaySettings() override { return m_inner.displaySettings(); }
    const std::vector<DisplayMode>& displayModes() override { return m_inner.displayModes(); }

    QStringList log;

private:
    EmulatedDisplay& m_inner;
    std::function<QString()> m_state;
};

// A main window with the parts full screen switches, the plot widget on its surface and the
// emulated display over them.
struct Rig
{
    explicit Rig(QSize screen = QSize(1024, 768))
    {
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        parts.window = &window;
        parts.menuRule = new QWidget;
        parts.toolbar = new QWidget;
        auto* splitter = new QSplitter;
        parts.splitter = splitter;
        parts.leftPanel = new QWidget;
        plot = new PlotWidget(surface);
        splitter->addWidget(parts.leftPanel);
        splitter->addWidget(plot);
        parts.statusBarSpacer = new QWidget;
        parts.statusBar = new QWidget;
        for (QWidget* part : { parts.menuRule, parts.toolbar, parts.splitter, parts.statusBarSpacer,
                 parts.statusBar })
            layout->addWidget(part);
        window.setCentralWidget(central);

        QMenu* show = window.menuBar()->addMenu(QStringLiteral("表示"));
        parts.viewMenuAction = show->menuAction();
        toolbarItem = show->addAction(QStringLiteral("ツールバー"));
        toolbarItem->setCheckable(true);
        toolbarItem->setChecked(true);
        QObject::connect(toolbarItem, &QAction::triggered, &window,
            [this](bool on) { parts.toolbar->setVisible(on); });
        parts.fullScreenAction = show->addAction(QStringLiteral("全画面表示"));
        parts.fullScreenAction->setCheckable(true);
        parts.displayModesMenu = window.menuBar()->addMenu(QStringLiteral("解像度"));
        parts.helpMenuAction = window.menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"))->menuAction();

        display = std::make_unique<EmulatedDisplay>(surface, *plot, &window);
        display->setScreenSize(screen);
        logging = std::make_unique<LoggingSurface>(*display, [this] { return state(); });
        PlotControl control { &suppressRedraw, &fullScreen, [this] { redraw(); } };
        fullScreenMode = std::make_unique<FullScreen>(parts, *logging, control);
        window.resize(700, 500);
        window.show();
        logging->initialize(); // start-up: the first initialisation fills "解像度"
        logging->log.clear();
    }

    void redraw()
    {
        log(QStringLiteral("redraw ") + state());
        surface.imageCanvas().setBrushColor(0x00563412); // r 0x12, g 0x34, b 0x56
        surface.canvas().fillRect(0, 0, surface.width(), surface.height());
        surface.present();
    }
    void log(const QString& line) { logging->log << line; }

    QString state() const
    {
        const bool hidden = !parts.leftPanel->isVisible() && !parts.statusBar->isVisible()
            && !parts.splitter->isVisible() && !parts.statusBarSpacer->isVisible()
            && !parts.viewMenuAction->isVisible();
        return QStringLiteral("suppress=%1 full=%2 panels=%3 frameless=%4 size=%5x%6")
            .arg(suppressRedraw)
            .arg(fullScreen)
            .arg(hidden ? QStringLiteral("hidden") : QStringLiteral("shown"))
            .arg(bool(window.windowFlags() & Qt::FramelessWindowHint))
            .arg(surface.width())
            .arg(surface.height());
    }

    QStringList captions() const
    {
        QStringList list;
        for (QAction* item : parts.displayModesMenu->actions())
            list << item->text();
        return list;
    }

    QAction* modeItem(const QString& caption) const
    {
        for (QAction* item : parts.displayModesMenu->actions())
            if (item->text() == caption)
                return item;
        return nullptr;
    }

    QString n12Error()
    {
        try {
            fullScreenMode->toggleFullScreen();
        } catch (const Error& error) {
            return QString::fromUtf8(error.what());
        }
        return {};
    }

    QImageSurface surface; // outlives the plot widget that the window owns
    QMainWindow window;
    FullScreenParts parts;
    QAction* toolbarItem = nullptr;
    PlotWidget* plot = nullptr;
    std::unique_ptr<EmulatedDisplay> display;
    std::unique_ptr<LoggingSurface> logging;
    std::unique_ptr<FullScreen> fullScreenMode;
    std::int32_t suppressRedraw = 0;
    std::int32_t fullScreen = 0;
};

void verifyWindowed(Rig& rig)
{
    QVERIFY(!rig.parts.fullScreenAction->isChecked());
    QCOMPARE(rig.fullScreen, 0);
    QCOMPARE(rig.suppressRedraw, 0);
    for (QWidget* part : { rig.parts.toolbar, rig.parts.leftPanel, rig.parts.splitter,
             rig.parts.statusBarSpacer, rig.parts.statusBar, rig.parts.menuRule })
        QVERIFY(part->isVisible());
    QVERIFY(rig.parts.viewMenuAction->isVisible());
    QVERIFY(rig.parts.helpMenuAction->isEnabled());
    QVERIFY(!(rig.window.windowFlags() & Qt::FramelessWindowHint));
    QCOMPARE(QSize(rig.surface.width(), rig.surface.height()), rig.plot->size());
}

} // namespace

class FullScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void enteringRunsEveryStepInOrderAtTheStartMode()
    {
        Rig rig;
        rig.fullScreenMode->toggleFullScreen();
        const QString before
            = QStringLiteral("size=%1x%2").arg(rig.plot->width()).arg(rig.plot->height());
        QCOMPARE(rig.logging->log,
            QStringList({ QStringLiteral("finalize suppress=0 full=0 panels=shown frameless=0 ")
                    + before,
                QStringLiteral("options exclusive=1 suppress=1 full=-1 panels=hidden "
                               "frameless=1 ")
                    + before,
                QStringLiteral("initialize suppress=1 full=-1 panels=hidden frameless=1 ") + before,
                QStringLiteral("redraw suppress=0 full=-1 panels=hidden frameless=1 "
                               "size=640x480") }));
        QVERIFY(rig.parts.fullScreenAction->isChecked());
        QVERIFY(!rig.parts.helpMenuAction->isEnabled());
        QVERIFY(!rig.parts.toolbar->isVisible());
        QVERIFY(!rig.parts.menuRule->isVisible());
        QVERIFY(rig.display->activeMode() == (DisplayMode { 640, 480, 8 }));
        QVERIFY(rig.window.windowState() & Qt::WindowFullScreen);
        // The menu bar stays: it is the way out.
        QVERIFY(rig.window.menuBar()->isVisible());
    }

    void choosingAModeInFullScreenSwitchesAndRedraws()
    {
        Rig rig;
        rig.fullScreenMode->toggleFullScreen();
        rig.logging->log.clear();
        rig.modeItem(QStringLiteral("800x600x16"))->trigger();
        QCOMPARE(rig.logging->log.size(), 3);
        QVERIFY(rig.logging->log[0].startsWith(QStringLiteral("finalize suppress=1")));
        QVERIFY(rig.logging->log[1].startsWith(QStringLiteral("initialize suppress=1")));
        QVERIFY(rig.logging->log[2].startsWith(QStringLiteral("redraw suppress=0 full=-1")));
        QVERIFY(rig.logging->log[2].endsWith(QStringLiteral("size=800x600")));
        QVERIFY(rig.display->activeMode() == (DisplayMode { 800, 600, 16 }));
        // Leaving and entering again keeps the chosen mode.
        rig.fullScreenMode->toggleFullScreen();
        rig.fullScreenMode->toggleFullScreen();
        QVERIFY(rig.display->activeMode() == (DisplayMode { 800, 600, 16 }));
    }

    void aModeItemWhileWindowedDoesNothing()
    {
        Rig rig;
        rig.modeItem(QStringLiteral("1024x768x32"))->trigger();
        QVERIFY(rig.logging->log.isEmpty());
        QVERIFY(rig.display->displaySettings().mode() == (DisplayMode { 640, 480, 8 }));
        rig.fullScreenMode->toggleFullScreen();
        QCOMPARE(QSize(rig.surface.width(), rig.surface.height()), QSize(640, 480));
    }

    void leavingShowsEveryPanelAndKeepsTheTicks()
    {
        Rig rig;
        rig.toolbarItem->trigger(); // "ツールバー" off: the toolbar is hidden
        QVERIFY(!rig.parts.toolbar->isVisible());
        rig.fullScreenMode->toggleFullScreen();
        rig.logging->log.clear();
        rig.fullScreenMode->toggleFullScreen();
        verifyWindowed(rig);
        QVERIFY(!rig.toolbarItem->isChecked());
        QVERIFY(rig.logging->log.last().startsWith(QStringLiteral("redraw suppress=0 full=0")));
        QVERIFY(rig.display->options().systemMemory);
        QVERIFY(!rig.display->options().exclusiveFullScreen);
        // Choosing "ツールバー" now ticks it and the toolbar stays shown.
        rig.toolbarItem->trigger();
        QVERIFY(rig.toolbarItem->isChecked());
        QVERIFY(rig.parts.toolbar->isVisible());
    }

    void theModeListIsTheSameAfterEverySwitch()
    {
        Rig rig;
        const QStringList start = rig.captions();
        QCOMPARE(start.size(), 12);
        QCOMPARE(start.first(), QStringLiteral("640x480x8"));
        rig.fullScreenMode->toggleFullScreen();
        QCOMPARE(rig.captions(), start);
        rig.modeItem(QStringLiteral("800x600x32"))->trigger();
        QCOMPARE(rig.captions(), start);
        rig.fullScreenMode->toggleFullScreen();
        QCOMPARE(rig.captions(), start);
    }

    void aModeTheDisplayCannotTakeFallsBackToTheWindow()
    {
        Rig rig(QSize(320, 240)); // no mode fits: the list is empty
        QVERIFY(rig.captions().isEmpty());
        QCOMPARE(
            rig.n12Error(), QString::fromUtf8("ディスプレイモードを変更できません (640x480 8bit)"));
        verifyWindowed(rig);
        QVERIFY(rig.logging->log.last().startsWith(QStringLiteral("redraw suppress=0 full=0")));
        QVERIFY(!(rig.window.windowState() & Qt::WindowFullScreen));
    }

    void aDepthOutsideTheFourFallsBackAfterStoringTheSize()
    {
        Rig rig;
        QStringList reported;
        rig.fullScreenMode->setErrorHandler(
            [&](const std::string& message) { reported << QString::fromStdString(message); });
        rig.fullScreenMode->toggleFullScreen();
        // An item whose depth is none of the four (the list itself never holds one).
        rig.modeItem(QStringLiteral("800x600x8"))->setText(QStringLiteral("800x600x12"));
        rig.modeItem(QStringLiteral("800x600x12"))->trigger();
        QCOMPARE(reported,
            QStringList({ QString::fromUtf8("8, 16, 24, 32 のいずれかの値でなければなりません") }));
        QVERIFY(rig.display->displaySettings().mode() == (DisplayMode { 800, 600, 8 }));
        verifyWindowed(rig);
    }

    void theModeIsShownScaledWithItsAspectAndDepth()
    {
        Rig rig;
        rig.display->displaySettings().setWidth(800);
        rig.display->displaySettings().setHeight(600);
        rig.display->displaySettings().setBits(8);
        rig.fullScreenMode->toggleFullScreen();
        QCOMPARE(QSize(rig.surface.width(), rig.surface.height()), QSize(800, 600));
        const QRect shown = rig.display->pictureRect();
        QVERIFY(qAbs(shown.width() * 3 - shown.height() * 4) <= 4);
        QVERIFY(shown.width() == rig.plot->width() || shown.height() == rig.plot->height());
        const QImage grabbed = rig.plot->grab().toImage();
        const QPoint centre = shown.center();
        QCOMPARE(QColor(grabbed.pixel(centre)),
            QColor(reduceToDepth(rig.surface.image(), 8).pixel(400, 300)));
        QVERIFY(QColor(grabbed.pixel(centre)) != QColor(0x12, 0x34, 0x56)); // 3-3-2 palette
    }

    void theMouseIsReadInTheModesPixelsWhileFullScreen()
    {
        Rig rig;
        QPoint pressed;
        PlotWidget::Handlers handlers;
        handlers.mouseDown = [&](int x, int y) { pressed = QPoint(x, y); };
        rig.plot->setHandlers(std::move(handlers));
        QTest::mousePress(rig.plot, Qt::LeftButton, {}, QPoint(10, 20));
        QCOMPARE(pressed, QPoint(10, 20)); // windowed: widget pixels are surface pixels
        QTest::mouseRelease(rig.plot, Qt::LeftButton, {}, QPoint(10, 20));

        rig.display->displaySettings().setWidth(800);
        rig.display->displaySettings().setHeight(600);
        rig.display->displaySettings().setBits(16);
        rig.fullScreenMode->toggleFullScreen();
        const QRect shown = rig.display->pictureRect();
        QTest::mousePress(rig.plot, Qt::LeftButton, {}, shown.topLeft());
        QCOMPARE(pressed, QPoint(0, 0));
        QTest::mouseRelease(rig.plot, Qt::LeftButton, {}, shown.topLeft());
        const QPoint half(shown.x() + shown.width() / 2, shown.y() + shown.height() / 2);
        QTest::mousePress(rig.plot, Qt::LeftButton, {}, half);
        QCOMPARE(pressed,
            QPoint(shown.width() / 2 * 800 / shown.width(),
                shown.height() / 2 * 600 / shown.height()));
        QTest::mouseRelease(rig.plot, Qt::LeftButton, {}, half);
        QCOMPARE(rig.display->toSurfacePixel(shown.topLeft() - QPoint(1, 1)).x() < 0, true);
    }

    void theKeysMoveTheViewByTenOrEightyPerTick_data()
    {
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("moveX");
        QTest::addColumn<int>("moveY");
        QTest::newRow("left") << int(KeyLeft) << 10 << 0;
        QTest::newRow("right") << int(KeyRight) << -10 << 0;
        QTest::newRow("up") << int(KeyUp) << 0 << 10;
        QTest::newRow("down") << int(KeyDown) << 0 << -10;
        QTest::newRow("shift left") << int(KeyLeft | KeyShift) << 80 << 0;
        QTest::newRow("shift down and right") << int(KeyDown | KeyRight | KeyShift) << -80 << -80;
    }

    void theKeysMoveTheViewByTenOrEightyPerTick()
    {
        QFETCH(int, keys);
        QFETCH(int, moveX);
        QFETCH(int, moveY);
        Document document;
        QImageSurface surface(445, 364);
        PlotHooks hooks;
        hooks.heldKeys = [keys] { return keys; };
        PlotView view(document, surface, hooks);
        view.initialiseView();
        const std::int32_t cx = document.CX;
        const std::int32_t cy = document.CY;
        view.tick(); // windowed: the keys are not polled
        QCOMPARE(document.CX, cx);
        view.fullScreen = -1;
        for (int tick = 1; tick <= 2; ++tick) {
            view.tick();
            QCOMPARE(document.CX - cx, moveX * tick);
            QCOMPARE(document.CY - cy, moveY * tick);
        }
    }
};

int runFullScreenTest(int argc, char** argv)
{
    FullScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "full_screen_test.moc"
