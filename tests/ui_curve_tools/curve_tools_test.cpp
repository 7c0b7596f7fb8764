#include "document/document.h"
#include "platform/plot_widget.h"
#include "platform/qimage_surface.h"
#include "platform/scripted_dialog_service.h"
#include "render/plot_view.h"
#include "ui/analysis_dialog.h"
#include "ui/curve_tools.h"
#include "ui/integral_dialog.h"
#include "ui/main_window.h"
#include "ui/tracer_field.h"
#include "ui/value_table_dialog.h"
#include "ui/velquor_application.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSlider>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <memory>

using namespace velquor;

namespace {

constexpr std::int32_t Red = 0x0000FF; // 0x00BBGGRR

GraphEntry graph(const std::string& formula, GraphKind kind = GraphKind::Function)
{
    GraphEntry entry;
    entry.name = formula;
    entry.formula1 = formula;
    entry.kind = static_cast<std::int32_t>(kind);
    entry.visible = -1;
    entry.color = Red;
    entry.width = 1;
    entry.divisions = 100;
    entry.rangeFrom = "0";
    entry.rangeTo = "6.28";
    return entry;
}

// The curve tools on a plot of the default window's size, without the main window.
struct Harness
{
    ScriptedDialogService dialogs;
    Document document;
    // Before the window, so that it outlives the plot widget the window deletes.
    QImageSurface surface { 445, 364 };
    QWidget window;
    PlotWidget* plot = new PlotWidget(surface, &window);
    PlotView view { document, surface };
    int selected = 0;
    QString status;
    std::unique_ptr<CurveTools> tools;

    Harness()
    {
        document.CX = 222;
        document.CY = 182;
        document.Zoom = 25;
        plot->setGeometry(0, 0, 445, 364);
        CurveToolsHooks hooks;
        hooks.selectedSlot = [this] { return selected; };
        hooks.viewAtRest = [this] { return view.settleTicks == 0; };
        hooks.showStatus = [this](const QString& text) { status = text; };
        tools = std::make_unique<CurveTools>(document, *plot, dialogs, &window, std::move(hooks));
        window.resize(445, 364);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    // The plot as the window shows it, marker included.
    QImage shown() const { return plot->grab().toImage(); }
    bool redAt(const QImage& image, int x, int y) const
    {
        const QColor c = image.pixelColor(x, y);
        return c.red() > 120 && c.green() < 80 && c.blue() < 80;
    }
    QAction* action(const char* name) const
    {
        return window.findChild<QAction*>(QString::fromLatin1(name));
    }
};

} // namespace

class CurveToolsTest : public QObject
{
    Q_OBJECT
private slots:
    void tracerFollowsTheMouseOverThePictureOnly();
    void arrowKeysStepByColumns();
    void markerWaitsForTheSettleRedraw();
    void analysisListsTheFeaturesAndMovesTheTracer();
    void analysisAndTableNeedASelectedGraph();
    void valueTableComputesAndRefusesBadRanges();
    void valueTableOfAHundredThousandRowsArrivesInBatches();
    void valueTableCopiesAndSavesEveryRow();
    void mainWindowHasTheNewCommandsAfterTheOldOnes();
    void integralAndAreaAreShownAndShadedUntilTheDialogCloses();
    void integralRefusesBadEndsAndPoles();
    void tracerFieldShortensLabelsBeforeDigits_data();
    void tracerFieldShortensLabelsBeforeDigits();
    void tracerFieldShowsTheWholePointAtTheDefaultWindowSize_data();
    void tracerFieldShowsTheWholePointAtTheDefaultWindowSize();
};

void CurveToolsTest::tracerFollowsTheMouseOverThePictureOnly()
{
    Harness h;
    h.document.appendEntry(graph("x^2"));
    h.view.RedrawPlot();
    QVERIFY(!h.tools->mouseMoved(272, 5)); // off: the status bar keeps the coordinates
    h.tools->toggleTracer();
    QVERIFY(h.tools->tracerAction()->isChecked());
    QCOMPARE(h.status, QStringLiteral("x^2  x = 0  y = 0  傾き = 0"));
    QVERIFY(h.tools->mouseMoved(272, 5));
    QCOMPARE(h.status, QStringLiteral("x^2  x = 2  y = 4  傾き = 4"));
    // A ring about (272, 82) in the curve's colour on the shown plot, none in the picture that
    // copy, export and print take; (275, 79) is on the ring, off the grid and the curve.
    const QImage shown = h.shown();
    QVERIFY(h.redAt(shown, 275, 79));
    QCOMPARE(h.surface.image().pixelColor(275, 79), QColor(Qt::black));
    QVERIFY(!h.view.traceMode()); // the tracer is not trace mode

    h.tools->toggleTracer();
    QVERIFY(!h.redAt(h.shown(), 275, 79));
    QCOMPARE(h.status, QString());
}

void CurveToolsTest::arrowKeysStepByColumns()
{
    Harness h;
    h.document.appendEntry(graph("x"));
    h.view.RedrawPlot();
    QTest::keyClick(h.plot, Qt::Key_Right); // off: not used
    h.tools->toggleTracer();
    h.tools->mouseMoved(272, 0);
    QTest::keyClick(h.plot, Qt::Key_Right);
    QCOMPARE(h.status, QStringLiteral("x  x = 2.04  y = 2.04  傾き = 1"));
    QTest::keyClick(h.plot, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(h.status, QStringLiteral("x  x = 1.64  y = 1.64  傾き = 1"));
    QCOMPARE(*h.tools->tracer().point()->column, 263);
}

void CurveToolsTest::markerWaitsForTheSettleRedraw()
{
    Harness h;
    h.document.appendEntry(graph("x^2"));
    h.view.RedrawPlot();
    h.tools->toggleTracer();
    h.tools->mouseMoved(272, 0);
    // A pan: while the view moves the marker is not shown.
    h.view.mouseDown(100, 100);
    h.view.mouseMove(120, 100, true);
    QVERIFY(!h.redAt(h.shown(), 275, 79));
    QVERIFY(!h.redAt(h.shown(), 295, 79));
    h.view.mouseUp();
    for (int i = 0; i < 31 && h.view.settleTicks != 0; ++i)
        h.view.tick();
    QCOMPARE(h.view.settleTicks, 0);
    // The settle redraw shows it again on the same point of the curve, 20 pixels on.
    QCOMPARE(*h.tools->tracer().point()->column, 292);
    QVERIFY(h.redAt(h.shown(), 295, 79));
    QCOMPARE(h.status, QStringLiteral("x^2  x = 2  y = 4  傾き = 4"));
}

void CurveToolsTest::analysisListsTheFeaturesAndMovesTheTracer()
{
    Harness h;
    h.document.appendEntry(graph("x^3-2x"));
    h.document.appendEntry(graph("x"));
    h.view.RedrawPlot();
    h.action("AnalysisAction")->trigger();
    QVERIFY(h.dialogs.errors().isEmpty());
    AnalysisDialog* dialog = h.tools->analysisDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("解析 - x^3-2x"));
    QTableWidget* table = dialog->table();
    QCOMPARE(table->rowCount(), 8);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("零点"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("-1.4142135623731"));
    QCOMPARE(table->item(3, 0)->text(), QStringLiteral("極大"));
    QCOMPARE(table->item(3, 1)->text(), QStringLiteral("-0.816496580927726"));
    QCOMPARE(table->item(3, 2)->text(), QStringLiteral("1.08866210790363"));
    QCOMPARE(table->item(4, 0)->text(), QStringLiteral("極小"));
    QCOMPARE(table->item(7, 0)->text(), QStringLiteral("交点"));
    QCOMPARE(table->item(7, 1)->text(), QStringLiteral("1.73205080756888"));
    QCOMPARE(table->item(7, 3)->text(), QStringLiteral("x"));
    QVERIFY(dialog->summary()->text().startsWith(QStringLiteral("表示範囲 x = -8.88 ～ 8.92")));

    // A double click turns the tracer on at that x.
    h.selected = 1; // the list's selection moved on meanwhile
    const QRect cell = table->visualItemRect(table->item(3, 1));
    // The first press of a double click, then the second (QTest sends only the latter).
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(h.tools->tracerOn());
    QCOMPARE(h.tools->tracer().slot(), 0);
    // At the extremum the exact slope is zero to the rounding of the last bit.
    QVERIFY(h.status.startsWith(
        QStringLiteral("x^3-2x  x = -0.816496580927726  y = 1.08866210790363  傾き = ")));
    QVERIFY(std::fabs(*h.tools->tracer().point()->slope) < 1e-17L);

    // A graph without any feature: an empty list and a sentence that says so.
    h.document.appendEntry(graph("sqrt(-1-xx)"));
    h.selected = 2;
    h.tools->analyseSelectedGraph();
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(dialog->summary()->text().contains(QStringLiteral("見つかりませんでした")));
    QVERIFY(!dialog->summary()->text().contains(QStringLiteral("打ち切りました")));

    // A graph that costs more than a redraw may do: the analysis stops and says so.
    std::string heavy;
    for (int i = 0; i < 40000; ++i)
        heavy += "sin(x)";
    h.document.appendEntry(graph(heavy));
    h.selected = 3;
    h.tools->analyseSelectedGraph();
    QVERIFY(dialog->summary()->text().contains(
        QStringLiteral("計算量が上限を超えたため、解析を途中で打ち切りました。見つかった分だけを表示します")));
}

void CurveToolsTest::analysisAndTableNeedASelectedGraph()
{
    Harness h;
    h.document.appendEntry(graph("1", GraphKind::Polar));
    h.selected = -1;
    h.action("AnalysisAction")->trigger();
    h.action("ValueTableAction")->trigger();
    h.selected = 0; // a polar curve has a value table, but no analysis
    h.action("AnalysisAction")->trigger();
    QCOMPARE(h.dialogs.errors(),
        QStringList({ QStringLiteral("解析する関数のグラフを選択してください."),
            QStringLiteral("数表を作るグラフを選択してください."),
            QStringLiteral("解析する関数のグラフを選択してください.") }));
    QVERIFY(!h.tools->analysisDialog()->isVisible());
    QVERIFY(!h.tools->valueTableDialog()->isVisible());
}

void CurveToolsTest::valueTableComputesAndRefusesBadRanges()
{
    Harness h;
    h.document.appendEntry(graph("1/x"));
    h.action("ValueTableAction")->trigger();
    ValueTableDialog* dialog = h.tools->valueTableDialog();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->startEdit()->text(), QStringLiteral("-8.88"));
    QCOMPARE(dialog->endEdit()->text(), QStringLiteral("8.92"));
    QCOMPARE(dialog->stepEdit()->text(), QStringLiteral("0.936842105263158"));
    QTRY_VERIFY(!dialog->computing());
    QCOMPARE(dialog->model().rowCount(), 20);

    struct Refusal
    {
        const char* start;
        const char* end;
        const char* step;
        const char* message;
    };
    const Refusal refusals[] = {
        { "0", "1", "0", "刻み幅には0より大きい数を指定してください." },
        { "abc", "1", "0.1", "'abc' は浮動小数点数ではありません." },
        { "0", "1", "", "'' は浮動小数点数ではありません." },
        { "1", "0", "0.1", "終了値が開始値より小さくなっています." },
        { "0", "100000", "1",
            "行数が100000行を超えます。範囲を狭くするか刻み幅を大きくしてください." },
    };
    for (const Refusal& refusal : refusals) {
        h.dialogs.clearLog();
        dialog->startEdit()->setText(QString::fromUtf8(refusal.start));
        dialog->endEdit()->setText(QString::fromUtf8(refusal.end));
        dialog->stepEdit()->setText(QString::fromUtf8(refusal.step));
        dialog->computeTable();
        QCOMPARE(h.dialogs.errors(), QStringList(QString::fromUtf8(refusal.message)));
        // Nothing computed, nothing lost: the last table and the typed texts stay.
        QCOMPARE(dialog->model().rowCount(), 20);
        QCOMPARE(dialog->stepEdit()->text(), QString::fromUtf8(refusal.step));
    }

    dialog->startEdit()->setText(QStringLiteral("-1"));
    dialog->endEdit()->setText(QStringLiteral("1"));
    dialog->stepEdit()->setText(QStringLiteral("0.5"));
    dialog->computeTable();
    QTRY_VERIFY(!dialog->computing());
    const QAbstractItemModel& model = dialog->model();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("y"));
    QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("値なし"));
    QCOMPARE(model.index(3, 1).data().toString(), QStringLiteral("2"));
}

void CurveToolsTest::valueTableOfAHundredThousandRowsArrivesInBatches()
{
    Harness h;
    h.document.appendEntry(graph("sin(x)"));
    h.action("ValueTableAction")->trigger();
    ValueTableDialog* dialog = h.tools->valueTableDialog();
    QTRY_VERIFY(!dialog->computing());
    dialog->startEdit()->setText(QStringLiteral("0"));
    dialog->endEdit()->setText(QStringLiteral("99999"));
    dialog->stepEdit()->setText(QStringLiteral("1"));
    dialog->computeTable();
    // The first batch is there at once, the rest follows while the event loop runs.
    QCOMPARE(dialog->model().rowCount(), int(ValueTableDialog::RowsPerBatch));
    QVERIFY(dialog->computing());
    QTRY_COMPARE_WITH_TIMEOUT(dialog->model().rowCount(), 100000, 30000);
    QVERIFY(!dialog->computing());
    QCOMPARE(dialog->model().index(99999, 0).data().toString(), QStringLiteral("99999"));
}

void CurveToolsTest::valueTableCopiesAndSavesEveryRow()
{
    Harness h;
    GraphEntry curve = graph("t^2", GraphKind::Parametric);
    curve.formula2 = "1/t";
    curve.rangeFrom = "0";
    curve.rangeTo = "2";
    h.document.appendEntry(curve);
    h.action("ValueTableAction")->trigger();
    ValueTableDialog* dialog = h.tools->valueTableDialog();
    QCOMPARE(dialog->startEdit()->text(), QStringLiteral("0"));
    QCOMPARE(dialog->endEdit()->text(), QStringLiteral("2"));
    dialog->stepEdit()->setText(QStringLiteral("1"));
    dialog->computeTable();
    dialog->copyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text(),
        QStringLiteral("t\tx\ty\n0\t値なし\t0\n1\t1\t1\n2\t0.5\t4\n"));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("table.csv"));
    h.dialogs.push(path);
    dialog->saveAsCsv();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
        QStringLiteral("t,x,y\r\n0,値なし,0\r\n1,1,1\r\n2,0.5,4\r\n"));
    h.dialogs.push(ScriptedDialogService::Cancel {});
    dialog->saveAsCsv(); // cancelled: nothing happens
    QVERIFY(h.dialogs.errors().isEmpty());
}

void CurveToolsTest::integralAndAreaAreShownAndShadedUntilTheDialogCloses()
{
    Harness h;
    h.document.appendEntry(graph("sin(x)"));
    h.document.appendEntry(graph("x/4"));
    h.view.RedrawPlot();
    h.action("IntegralAction")->trigger();
    QVERIFY(h.dialogs.errors().isEmpty());
    IntegralDialog* dialog = h.tools->integralDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("積分 - sin(x)"));
    // The visible range by default; the other curves: the x axis and the visible graph.
    QCOMPARE(dialog->startEdit()->text(), QStringLiteral("-8.88"));
    QCOMPARE(dialog->endEdit()->text(), QStringLiteral("8.92"));
    QCOMPARE(dialog->otherBox()->count(), 2);
    QCOMPARE(dialog->otherBox()->itemText(1), QStringLiteral("x/4"));

    // From 0 to pi: 2 to 15 digits, the area with the x axis the same.
    dialog->startEdit()->setText(QStringLiteral("0"));
    dialog->endEdit()->setText(QStringLiteral("3.14159265358979323846"));
    dialog->compute();
    QVERIFY(dialog->integralLabel()->text().startsWith(QStringLiteral("積分 = 2  (誤差 ±")));
    QVERIFY(dialog->areaLabel()->text().startsWith(
        QStringLiteral("sin(x) と x 軸 の間の面積 = 2  (誤差 ±")));
    // Shaded over the shown plot, between the curve and the axis (x = pi/2 is column 261, the
    // curve's top row 157), never in the picture that is copied, exported and printed.
    const QImage& picture = h.surface.image();
    const QColor shaded = h.shown().pixelColor(261, 170);
    QVERIFY(shaded.red() > picture.pixelColor(261, 170).red() + 40);
    QCOMPARE(h.shown().pixelColor(261, 150), picture.pixelColor(261, 150)); // above the curve
    QCOMPARE(h.shown().pixelColor(300, 170), picture.pixelColor(300, 170)); // beyond the end

    // Backwards: the integral changes sign, the area does not.
    dialog->startEdit()->setText(QStringLiteral("3.14159265358979323846"));
    dialog->endEdit()->setText(QStringLiteral("0"));
    dialog->otherBox()->setCurrentIndex(1);
    dialog->compute();
    QVERIFY(dialog->integralLabel()->text().startsWith(QStringLiteral("積分 = -2  (誤差 ±")));
    // |sin x - x/4| from 0 to pi, split where they cross (2.47457678736983): 1.27416053780209.
    QVERIFY(dialog->areaLabel()->text().startsWith(
        QStringLiteral("sin(x) と x/4 の間の面積 = 1.27416053780209  (誤差 ±")));

    dialog->close();
    QCOMPARE(h.shown().pixelColor(261, 170), picture.pixelColor(261, 170));
}

void CurveToolsTest::integralRefusesBadEndsAndPoles()
{
    Harness h;
    h.document.appendEntry(graph("tan(x)"));
    h.document.appendEntry(graph("x", GraphKind::Parametric));
    h.view.RedrawPlot();
    h.selected = 1;
    h.action("IntegralAction")->trigger();
    QCOMPARE(h.dialogs.errors().size(), 1);
    QVERIFY(h.dialogs.errors().last().contains(
        QStringLiteral("積分する関数のグラフを選択してください")));

    h.selected = 0;
    h.tools->integrateSelectedGraph();
    IntegralDialog* dialog = h.tools->integralDialog();
    QCOMPARE(dialog->integralLabel()->text(),
        QStringLiteral("積分 = 積分できません。x = 7.85398163397448 の付近で発散します"));
    QVERIFY(!dialog->shading().shaded);

    dialog->startEdit()->setText(QStringLiteral("0"));
    dialog->endEdit()->setText(QStringLiteral("1x"));
    dialog->compute();
    QCOMPARE(h.dialogs.errors().size(), 2);
    QVERIFY(
        h.dialogs.errors().last().contains(QStringLiteral("'1x' は浮動小数点数ではありません")));
    // The last result stays.
    QVERIFY(dialog->integralLabel()->text().contains(QStringLiteral("発散します")));
    dialog->endEdit()->setText(QStringLiteral("1"));
    dialog->compute();
    QVERIFY(dialog->integralLabel()->text().startsWith(QStringLiteral("積分 = 0.615626470386014")));
    QVERIFY(dialog->shading().shaded);
    dialog->close();
    QVERIFY(!dialog->shading().shaded);
}

void CurveToolsTest::mainWindowHasTheNewCommandsAfterTheOldOnes()
{
    ScriptedDialogService dialogs;
    MainWindow window(dialogs, {});
    QMenu* graphMenu = nullptr;
    for (QAction* menu : window.menuBar()->actions()) {
        if (menu->text() == QStringLiteral("グラフ(&G)"))
            graphMenu = menu->menu();
    }
    QVERIFY(graphMenu);
    QStringList items;
    for (QAction* item : graphMenu->actions())
        items << (item->isSeparator() ? QStringLiteral("-") : item->text());
    QCOMPARE(items,
        QStringList({ QStringLiteral("追加(&A)"), QStringLiteral("削除&D)"), QStringLiteral("-"),
            QStringLiteral("原点へ戻る"), QStringLiteral("-"), QStringLiteral("アニメーション開始"),
            QStringLiteral("軌跡モード"), QStringLiteral("関数呼び出し機能"), QStringLiteral("-"),
            QStringLiteral("トレース"), QStringLiteral("解析..."), QStringLiteral("数表..."),
            QStringLiteral("積分...") }));
    QVERIFY(graphMenu->actions()[9]->isCheckable());

    auto* button = window.findChild<QToolButton*>(QStringLiteral("CurveTracerButton"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("トレース"));
    QCOMPARE(button->geometry(), QRect(411, 4, 54, 47));
    QCOMPARE(window.m_toolButtons.size(), 7); // the seven buttons as they were
    button->click();
    QVERIFY(window.curveTools().tracerOn());
    QVERIFY(graphMenu->actions()[9]->isChecked());
    QVERIFY(!window.m_traceModeAction->isChecked()); // trace mode is another thing
    QVERIFY(!window.plotView().traceMode());
}

void CurveToolsTest::tracerFieldShortensLabelsBeforeDigits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("widthOf"); // the field is as wide as this text
    QTest::addColumn<QString>("shown");
    const QString point = QStringLiteral("r = sin(3s)  s = 3.73501333333333  r = -0.957422118131455"
                                         "  x = 0.788412396271211  y = -0.535888237431573");
    const QString compact = QStringLiteral("r=sin(3s)  s=3.73501333333333  r=-0.957422118131455"
                                           "  x=0.788412396271211  y=-0.535888237431573");
    const QString nameless = QStringLiteral(
        "s=3.73501333333333  r=-0.957422118131455  x=0.788412396271211  y=-0.535888237431573");
    const QString shortest = QStringLiteral(
        "s=3.73501333333333 r=-0.957422118131455 x=0.788412396271211 y=-0.535888237431573");
    QTest::newRow("fits") << point << point << point;
    QTest::newRow("labels without spaces") << point << compact << compact;
    QTest::newRow("one pixel short of the full text") << point << point.chopped(1) << compact;
    QTest::newRow("without the name") << point << nameless << nameless;
    QTest::newRow("single spaces") << point << shortest << shortest;
    // Only a field narrower than the shortest form loses characters, at its end.
    QTest::newRow("too narrow") << point << shortest.chopped(3)
                                << QStringLiteral("s=3.73501333333333 r=-0.957422118131455 "
                                                  "x=0.788412396271211 y=-0.5358882374…");
    QTest::newRow("no value") << QStringLiteral("tan(x)  x = 1.5707963267949  値なし")
                              << QStringLiteral("x=1.5707963267949 値なし")
                              << QStringLiteral("x=1.5707963267949 値なし");
    QTest::newRow("a message alone") << QStringLiteral("トレースするグラフがありません")
                                     << QStringLiteral("トレースするグラフがありません")
                                     << QStringLiteral("トレースするグラフがありません");
}

void CurveToolsTest::tracerFieldShortensLabelsBeforeDigits()
{
    QFETCH(QString, text);
    QFETCH(QString, widthOf);
    QFETCH(QString, shown);
    const QFontMetrics metrics(QApplication::font());
    const QString fitted
        = TracerField::fittedText(text, metrics, metrics.horizontalAdvance(widthOf));
    // An ellipsis may take a pixel or two more or less than the characters it replaces.
    if (shown.endsWith(QChar(0x2026)))
        QVERIFY2(fitted.startsWith(shown.chopped(3)), qPrintable(fitted));
    else
        QCOMPARE(fitted, shown);
}

void CurveToolsTest::tracerFieldShowsTheWholePointAtTheDefaultWindowSize_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("function") << int(GraphKind::Function) << QStringLiteral("tan(x)") << QString()
                              << QStringList { QStringLiteral("x"), QStringLiteral("y") };
    QTest::newRow("parameter curve")
        << int(GraphKind::Parametric) << QStringLiteral("-7*cos(3*t)/3")
        << QStringLiteral("-5*sin(2*t)/7")
        << QStringList { QStringLiteral("t"), QStringLiteral("x"), QStringLiteral("y") };
    QTest::newRow("polar curve") << int(GraphKind::Polar) << QStringLiteral("-4*sin(3*s)/3")
                                 << QString()
                                 << QStringList { QStringLiteral("s"), QStringLiteral("r"),
                                        QStringLiteral("x"), QStringLiteral("y") };
}

void CurveToolsTest::tracerFieldShowsTheWholePointAtTheDefaultWindowSize()
{
    QFETCH(int, kind);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QStringList, labels);
    ScriptedDialogService dialogs;
    MainWindow window(dialogs, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize plotSize = window.m_plot->size();
    GraphEntry entry = graph(first.toStdString(), static_cast<GraphKind>(kind));
    entry.formula2 = second.toStdString();
    entry.rangeFrom = "0.1";
    entry.rangeTo = "6.3";
    entry.divisions = 701;
    window.document().appendEntry(entry);
    window.RedrawPlot();
    auto* field = window.findChild<TracerField*>();
    QVERIFY(field);
    QVERIFY(!field->isVisible());
    window.curveTools().toggleTracer();
    for (int i = 0; i < 7; ++i)
        window.curveTools().keyPressed(Qt::Key_Right, Qt::NoModifier);
    QTRY_VERIFY(field->isVisible() && field->width() > 0);
    QTRY_COMPARE(window.m_plot->height(), plotSize.height() - field->height());

    const QString full = field->tracerText();
    QCOMPARE(field->toolTip(), full);
    const QString shown = field->text();
    int mostDigits = 0;
    QVERIFY2(field->fontMetrics().horizontalAdvance(shown) <= field->contentsRect().width(),
        qPrintable(shown));
    for (const QString& label : labels) {
        const QRegularExpression value(QStringLiteral("  %1 = (\\S+)").arg(label));
        const QRegularExpressionMatch match = value.match(full);
        QVERIFY2(match.hasMatch(), qPrintable(full));
        // Every digit shown (15 significant ones where the value needs them).
        QString digits = match.captured(1);
        digits.remove(QRegularExpression(QStringLiteral("[-.]")));
        digits.remove(QRegularExpression(QStringLiteral("^0+")));
        mostDigits = std::max(mostDigits, int(digits.size()));
        QVERIFY2(shown.contains(QStringLiteral("%1=%2").arg(label, match.captured(1)))
                || shown.contains(QStringLiteral("%1 = %2").arg(label, match.captured(1))),
            qPrintable(shown));
    }
    QVERIFY2(mostDigits >= 15, qPrintable(full));
    // Its own row: nothing of the zoom track bar's row over it.
    const auto* slider = window.findChild<QSlider*>(QStringLiteral("zoomSlider"));
    const QRect fieldArea(field->mapTo(&window, QPoint(0, 0)), field->size());
    // What shows of the track bar (it reaches a pixel beyond its row, which cuts it off).
    const QRect sliderArea
        = slider->visibleRegion().boundingRect().translated(slider->mapTo(&window, QPoint(0, 0)));
    QVERIFY(!sliderArea.isEmpty());
    QVERIFY(!fieldArea.intersects(sliderArea));
    QVERIFY(fieldArea.right() < window.width());

    window.curveTools().toggleTracer();
    QTRY_VERIFY(!field->isVisible());
    QTRY_COMPARE(window.m_plot->size(), plotSize);
}

int main(int argc, char** argv)
{
    VelquorApplication app(argc, argv);
    CurveToolsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "curve_tools_test.moc"
