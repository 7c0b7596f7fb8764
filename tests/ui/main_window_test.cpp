#include "platform/plot_widget.h"
#include "platform/scripted_dialog_service.h"
#include "ui/graph_dialog.h"
#include "ui/graph_list.h"
#include "ui/main_window.h"
#include "ui/splitter_bar.h"
#include "main_window_harness.h"
#include "ui_test_support.h"

#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace velquor;
using namespace velquor::testing;


class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void startUpDrawsFirstPlotAtSettle();
    void commandLineSwitches_data();
    void commandLineSwitches();
    void twoPathsLeaveTheSecond();
    void badPathIsReportedAndStartUpCompletes();
    void noAnimationSwitchMakesPositionsJump();
    void panningWithLeftButtonOnly_data();
    void panningWithLeftButtonOnly();
    void settleRedrawWaitsForRelease();
    void zoomSliderAt500();
    void wheelZoomKeepsPointUnderCursor();
    void hidingPanelsGivesPlotWholeWindow();
    void newDocumentKeepsCommandLineUnread();
    void saveAsThenOpenRoundTrip();
    void addGraphFromToolbar();
    void splitterDragResizesLeftPanel();
    void coordinatesUnderMouse_data();
    void coordinatesUnderMouse();

private:
    QTemporaryDir m_folder;
    QString file(const QString& name) const { return m_folder.filePath(name); }
};

void MainWindowTest::startUpDrawsFirstPlotAtSettle()
{
    Harness h;
    // Nothing is drawn before the settle redraw: the designed texts stay.
    QCOMPARE(h.window->m_zoomLabel->text(), QStringLiteral("10"));
    QCOMPARE(h.window->m_zoomSlider->value(), 40);
    QCOMPARE(h.window->document().CX, 222);
    QCOMPARE(h.window->document().CY, 182);
    QCOMPARE(h.window->plotView().suppressRedraw, 0);
    QVERIFY(h.window->graphList().m_placeholder->isVisible());
    QVERIFY(!h.window->graphList().m_tree->isVisible());
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Velquor"));

    // Showing the window sized the plot, which set the settle counter.
    QCOMPARE(h.window->plotView().settleTicks, 1);
    h.ticks(31);
    QCOMPARE(h.window->m_zoomLabel->text(), QStringLiteral("25 %"));
    QCOMPARE(h.window->m_zoomSlider->value(), 25);
    QCOMPARE(h.window->document().Zoom, 25);
    QCOMPARE(h.window->document().CX, 222);
    QCOMPARE(h.dialogs.errors(), QStringList());
}

void MainWindowTest::commandLineSwitches_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<bool>("animatedMoves");
    QTest::newRow("none") << QStringList() << false << true;
    QTest::newRow("-m") << QStringList { QStringLiteral("-m") } << true << true;
    QTest::newRow("-M") << QStringList { QStringLiteral("-M") } << true << true;
    QTest::newRow("-n") << QStringList { QStringLiteral("-n") } << false << false;
    QTest::newRow("-N") << QStringList { QStringLiteral("-N") } << false << false;
    // Whole, exact comparisons only.
    QTest::newRow("-mn ignored") << QStringList { QStringLiteral("-mn") } << false << true;
    QTest::newRow("-x ignored") << QStringList { QStringLiteral("-x") } << false << true;
    QTest::newRow("empty ignored") << QStringList { QString() } << false << true;
}

void MainWindowTest::commandLineSwitches()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, maximized);
    QFETCH(bool, animatedMoves);
    Harness h(arguments, false);
    QCOMPARE(h.window->startMaximized(), maximized);
    QCOMPARE(h.window->m_animatedRestoreAction->isChecked(), animatedMoves);
    QCOMPARE(h.dialogs.errors(), QStringList());
    // The origin comes from the designed plot size, maximised or not.
    QCOMPARE(h.window->document().CX, 222);
    QCOMPARE(h.window->document().CY, 182);
}

void MainWindowTest::twoPathsLeaveTheSecond()
{
    const QString first = file(QStringLiteral("first.gdt"));
    const QString second = file(QStringLiteral("second.gdt"));
    writeLines(first,
        documentLines({ QStringLiteral("[CX]"), QStringLiteral("10") },
            { { QStringLiteral("f"), QStringLiteral("-1"), QStringLiteral("0"),
                QStringLiteral("255"), QStringLiteral("1"), QStringLiteral("x"), QString(),
                QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("1") } }));
    writeLines(second, documentLines({ QStringLiteral("[CY]"), QStringLiteral("20") }, {}));
    Harness h({ first, second }, false);
    QCOMPARE(QString::fromStdString(h.window->document().fileName()), second);
    QCOMPARE(h.window->document().graphCount(), 0);
    QCOMPARE(h.window->document().CX, 10); // the first file's view stays where the second is silent
    QCOMPARE(h.window->document().CY, 20);
    QVERIFY(h.window->graphList().m_placeholder->isVisibleTo(h.window.get()));
}

void MainWindowTest::badPathIsReportedAndStartUpCompletes()
{
    const QString good = file(QStringLiteral("good.gdt"));
    writeLines(good, documentLines({}, {}));
    const QString missing = file(QStringLiteral("missing.gdt"));
    Harness h({ missing, good }, false);
    QCOMPARE(
        h.dialogs.errors(), QStringList { QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(missing) });
    QCOMPARE(h.window->plotView().suppressRedraw, 0);
    QVERIFY(h.window->document().fileName().empty()); // processing stopped at the bad path
}

void MainWindowTest::noAnimationSwitchMakesPositionsJump()
{
    for (const bool jump : { true, false }) {
        Harness h(jump ? QStringList { QStringLiteral("-n") } : QStringList {});
        h.ticks(31);
        GraphEntry position = graph("here", static_cast<std::int32_t>(GraphKind::Position));
        position.width = 50;
        position.divisions = 60;
        position.rangeFrom = "70";
        h.window->document().appendEntry(position);
        h.window->graphList().rebuild();
        h.window->openEntry(1);
        QCOMPARE(h.window->document().CX, 50);
        QCOMPARE(h.window->document().CY, 60);
        QCOMPARE(h.window->document().Zoom, 70);
        // The animated move ends at moving accuracy and leaves the settle redraw to come.
        QCOMPARE(h.window->plotView().settleTicks, jump ? 0 : 1);
    }
}

void MainWindowTest::panningWithLeftButtonOnly_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expectedCX");
    QTest::newRow("left") << int(Qt::LeftButton) << int(Qt::NoModifier) << 232;
    QTest::newRow("right") << int(Qt::RightButton) << int(Qt::NoModifier) << 222;
    QTest::newRow("left with shift") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << 222;
    QTest::newRow("left with ctrl") << int(Qt::LeftButton) << int(Qt::ControlModifier) << 222;
}

void MainWindowTest::panningWithLeftButtonOnly()
{
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(int, expectedCX);
    Harness h;
    h.ticks(31);
    QWidget* plot = h.window->m_plot;
    const auto pressed = static_cast<Qt::MouseButton>(button);
    const auto keys = static_cast<Qt::KeyboardModifiers>(modifiers);
    sendMouse(plot, QEvent::MouseButtonPress, { 100, 100 }, pressed, pressed, keys);
    QCOMPARE(h.window->plotView().dragging, -1);
    sendMouse(plot, QEvent::MouseMove, { 110, 100 }, Qt::NoButton, pressed, keys);
    QCOMPARE(h.window->document().CX, expectedCX);
    QCOMPARE(h.window->document().CY, 182);
    sendMouse(plot, QEvent::MouseButtonRelease, { 110, 100 }, pressed, Qt::NoButton, keys);
    QCOMPARE(h.window->plotView().dragging, 0);
}

void MainWindowTest::settleRedrawWaitsForRelease()
{
    Harness h;
    h.ticks(31);
    QWidget* plot = h.window->m_plot;
    sendMouse(plot, QEvent::MouseButtonPress, { 100, 100 }, Qt::LeftButton, Qt::LeftButton);
    sendMouse(plot, QEvent::MouseMove, { 90, 95 }, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(h.window->plotView().settleTicks, 1);
    h.ticks(50); // held: the counter does not advance
    QCOMPARE(h.window->plotView().settleTicks, 1);
    sendMouse(plot, QEvent::MouseButtonRelease, { 90, 95 }, Qt::LeftButton, Qt::NoButton);
    h.ticks(29);
    QCOMPARE(h.window->plotView().settleTicks, 30);
    h.ticks(1);
    QCOMPARE(h.window->plotView().settleTicks, 0);
    QCOMPARE(h.window->document().CX, 212);
    QCOMPARE(h.window->document().CY, 177);
}

void MainWindowTest::zoomSliderAt500()
{
    Harness h;
    h.ticks(31);
    h.window->m_zoomSlider->setValue(500); // as the user's move does
    QCOMPARE(h.window->document().Zoom, 500);
    QCOMPARE(h.window->m_zoomLabel->text(), QStringLiteral("500 %"));
    QCOMPARE(h.window->plotView().settleTicks, 1);
    QCOMPARE(h.window->document().CX, 222); // the picture scales about the origin
}

void MainWindowTest::wheelZoomKeepsPointUnderCursor()
{
    Harness h;
    h.ticks(31);
    // 25 -> 28 (10 %, rounded) about (322, 182): the point 4 units right of the origin stays.
    h.window->zoomAbout(322, 182, 1);
    QCOMPARE(h.window->document().Zoom, 28);
    QCOMPARE(h.window->document().CX, 322 - 112);
    QCOMPARE(h.window->m_zoomSlider->value(), 28);
    QCOMPARE(h.window->m_zoomLabel->text(), QStringLiteral("28 %"));
    QCOMPARE(h.window->plotView().settleTicks, 1);
    // Clamped at both ends, at least one step a notch.
    h.window->zoomAbout(0, 0, -100);
    QCOMPARE(h.window->document().Zoom, 1);
    h.window->zoomAbout(0, 0, 1);
    QCOMPARE(h.window->document().Zoom, 2);
    h.window->zoomAbout(0, 0, 500);
    QCOMPARE(h.window->document().Zoom, 500);
}

void MainWindowTest::hidingPanelsGivesPlotWholeWindow()
{
    Harness h;
    h.ticks(31);
    h.window->toggleGraphList();
    h.window->toggleToolbar();
    h.window->toggleStatusBar();
    QVERIFY(!h.window->m_showGraphListAction->isChecked());
    QVERIFY(!h.window->m_showToolbarAction->isChecked());
    QVERIFY(!h.window->m_showStatusBarAction->isChecked());
    QWidget* client = h.window->centralWidget();
    QCOMPARE(h.window->m_plot->geometry().size(), client->size());
    QCOMPARE(h.window->m_plot->mapTo(client, QPoint(0, 0)), QPoint(0, 0));
    QCOMPARE(QSize(h.window->surface().width(), h.window->surface().height()), client->size());
    QCOMPARE(h.window->document().CX, 222); // the origin keeps its surface pixel

    h.window->toggleGraphList();
    QVERIFY(h.window->m_showGraphListAction->isChecked());
    QVERIFY(h.window->m_leftPanel->isVisible());
    QCOMPARE(h.window->m_plot->width(), client->width() - 152 - 4);
}

void MainWindowTest::newDocumentKeepsCommandLineUnread()
{
    const QString path = file(QStringLiteral("one.gdt"));
    writeLines(path,
        documentLines({},
            { { QStringLiteral("g"), QStringLiteral("-1"), QStringLiteral("0"),
                QStringLiteral("255"), QStringLiteral("1"), QStringLiteral("x"), QString(),
                QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("1") } }));
    Harness h({ path });
    QCOMPARE(h.window->graphList().itemCount(), 1);
    h.window->newDocument();
    QCOMPARE(h.window->document().graphCount(), 0);
    QVERIFY(h.window->document().fileName().empty());
    QVERIFY(h.window->graphList().m_placeholder->isVisible());
    QCOMPARE(h.window->m_zoomLabel->text(), QStringLiteral("25 %"));
}

void MainWindowTest::saveAsThenOpenRoundTrip()
{
    Harness h;
    h.ticks(31);
    h.window->document().appendEntry(graph("x^2"));
    const QString path = file(QStringLiteral("saved.gdt"));
    h.dialogs.push(path);
    h.window->saveDocument(); // no file name yet: Save As
    QVERIFY(h.dialogs.log().constLast().startsWith(
        QStringLiteral("save: グラフデータファイル(*.gdt);;すべてのファイル (*.*): gdt: ")));
    QVERIFY(h.dialogs.log().constLast().endsWith(QStringLiteral(": confirm")));
    QVERIFY(QFile::exists(path));

    h.window->newDocument();
    h.dialogs.push(path);
    h.window->openDocument();
    QCOMPARE(h.window->graphList().itemCount(), 1);
    QCOMPARE(QString::fromStdString(h.window->document().entry(0).name), QStringLiteral("x^2"));
    QCOMPARE(QString::fromStdString(h.window->document().fileName()), path);

    h.dialogs.push(ScriptedDialogService::Cancel {});
    h.window->openDocument(); // cancelled: nothing changes
    QCOMPARE(h.window->graphList().itemCount(), 1);
}

void MainWindowTest::addGraphFromToolbar()
{
    Harness h;
    h.ticks(31);
    whenModal([&] { h.window->graphDialog().accept(); });
    h.window->addGraph();
    QCOMPARE(h.window->graphList().itemCount(), 1);
    QVERIFY(h.window->graphList().m_tree->isVisible());
    QVERIFY(!h.window->graphList().m_placeholder->isVisible());
}

void MainWindowTest::splitterDragResizesLeftPanel()
{
    Harness h;
    h.ticks(31);
    QWidget* bar = h.window->m_splitter;
    QWidget* client = h.window->centralWidget();
    const QPoint start(2, 10);
    const QPoint to = bar->mapFrom(client, QPoint(200, 10));
    sendMouse(bar, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(h.window->m_leftPanel->width(), 198); // the line's left edge, centred on the mouse
    QCOMPARE(h.window->plotView().settleTicks, 1);

    // The line stays inside the client area.
    const QPoint far = bar->mapFrom(client, QPoint(-50, 10));
    sendMouse(bar, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, far, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(h.window->m_leftPanel->width(), 2);
}

void MainWindowTest::coordinatesUnderMouse_data()
{
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QString>("text");
    QTest::newRow("origin") << "1" << 25 << QPoint(222, 182) << "x = 0  y = 0";
    QTest::newRow("one unit up right") << "1" << 25 << QPoint(247, 157) << "x = 1  y = 1";
    QTest::newRow("ratio halves y") << "2" << 25 << QPoint(247, 157) << "x = 1  y = 0.5";
    QTest::newRow("rounded to a pixel") << "1" << 25 << QPoint(223, 183) << "x = 0.04  y = -0.04";
    QTest::newRow("zoom 1: whole units") << "1" << 1 << QPoint(225, 180) << "x = 3  y = 2";
    QTest::newRow("ratio not a number") << "abc" << 25 << QPoint(247, 157) << "x = 1  y = 1";
}

void MainWindowTest::coordinatesUnderMouse()
{
    QFETCH(QString, ratio);
    QFETCH(int, zoom);
    QFETCH(QPoint, pixel);
    QFETCH(QString, text);
    Harness h({}, false);
    h.window->document().setText(Setting::Ratio, ratio.toStdString());
    h.window->document().Zoom = zoom;
    QCOMPARE(h.window->coordinatesText(pixel.x(), pixel.y()), text);
}

std::unique_ptr<QObject> makeMainWindowTest()
{
    return std::make_unique<MainWindowTest>();
}

#include "main_window_test.moc"
