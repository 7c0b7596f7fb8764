#include "document/document.h"
#include "platform/scripted_dialog_service.h"
#include "ui/graph_dialog.h"
#include "ui/up_down_buttons.h"
#include "ui_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace velquor;
using namespace velquor::testing;

namespace {

struct Harness
{
    Document document;
    ScriptedDialogService dialogs;
    GraphDialog dialog { document, dialogs };

    // Runs the add flow; fill edits the dialog while it is shown, then "OK" is pressed.
    bool add(std::function<void(GraphDialog&)> fill = {}, bool confirm = true)
    {
        whenModal([this, fill, confirm] {
            if (fill)
                fill(dialog);
            (confirm ? dialog.m_okButton : dialog.m_cancelButton)->click();
        });
        return dialog.addGraph();
    }
    bool edit(int slot, std::function<void(GraphDialog&)> fill = {})
    {
        whenModal([this, fill] {
            if (fill)
                fill(dialog);
            dialog.m_okButton->click();
        });
        return dialog.editGraph(slot);
    }
};

} // namespace

class GraphDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void layoutIsFixed();
    void defaultAdd();
    void cancelledAddChangesNothing();
    void rangeRepairs_data();
    void rangeRepairs();
    void rangeThatIsNotNumberIsReportedAndStored();
    void kindKeptFromLastUse();
    void kindSwitchRows_data();
    void kindSwitchRows();
    void editMakesHiddenGraphVisible();
    void divisionsTextThatIsNotInteger();
    void namingRule_data();
    void namingRule();
    void colourDialogAndWidth();
};

void GraphDialogTest::layoutIsFixed()
{
    Harness h;
    QCOMPARE(h.dialog.size(), QSize(385, 309));
    QCOMPARE(h.dialog.windowTitle(), QStringLiteral("グラフの設定"));
    QCOMPARE(h.dialog.m_okButton->geometry(), QRect(214, 274, 75, 25));
    QCOMPARE(h.dialog.m_cancelButton->geometry(), QRect(294, 274, 75, 25));
    QCOMPARE(h.dialog.m_cancelButton->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    QVERIFY(h.dialog.m_functionKindButton->isChecked());
    QCOMPARE(h.dialog.m_divisionsEdit->text(), QStringLiteral("100"));
}

void GraphDialogTest::defaultAdd()
{
    Harness h;
    QVERIFY(h.add());
    QCOMPARE(h.document.graphCount(), 1);
    const GraphEntry& entry = h.document.entry(0);
    QCOMPARE(entry.kind, 0);
    QCOMPARE(entry.name, std::string("sin(x)"));
    QCOMPARE(entry.formula1, std::string("sin(x)"));
    QCOMPARE(entry.formula2, std::string("cos(x)"));
    QCOMPARE(entry.divisions, 360);
    QCOMPARE(entry.rangeFrom, std::string("0"));
    QCOMPARE(entry.rangeTo, std::string("6.28"));
    QCOMPARE(entry.color, 0xffffff);
    QCOMPARE(entry.width, 1);
    QCOMPARE(entry.visible, -1);
    QCOMPARE(h.dialog.m_formulaLabel->text(), QStringLiteral("y=f(x) "));
}

void GraphDialogTest::cancelledAddChangesNothing()
{
    Harness h;
    QVERIFY(!h.add([](GraphDialog& d) { d.m_formulaEdit->setText(QStringLiteral("x")); }, false));
    QCOMPARE(h.document.graphCount(), 0);
}

void GraphDialogTest::rangeRepairs_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("storedFrom");
    QTest::addColumn<QString>("storedTo");
    QTest::newRow("kept") << "1"
                          << "2.5"
                          << "1"
                          << "2.5";
    QTest::newRow("end before start") << "5"
                                      << "1"
                                      << "0"
                                      << "6.28";
    QTest::newRow("equal") << "3"
                           << "3"
                           << "0"
                           << "6.28";
    QTest::newRow("empty start") << ""
                                 << "2"
                                 << "0"
                                 << "2";
    QTest::newRow("empty end") << "7"
                               << ""
                               << "0"
                               << "6.28"; // 6.28 <= 7: both reset
    QTest::newRow("both empty") << ""
                                << ""
                                << "0"
                                << "6.28";
    QTest::newRow("negative") << "-3.5"
                              << "-1"
                              << "-3.5"
                              << "-1";
}

void GraphDialogTest::rangeRepairs()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, storedFrom);
    QFETCH(QString, storedTo);
    Harness h;
    // A function graph hides the range row; the range is checked all the same.
    QVERIFY(h.add([&](GraphDialog& d) {
        d.m_rangeFromEdit->setText(from);
        d.m_rangeToEdit->setText(to);
    }));
    QCOMPARE(QString::fromStdString(h.document.entry(0).rangeFrom), storedFrom);
    QCOMPARE(QString::fromStdString(h.document.entry(0).rangeTo), storedTo);
    QCOMPARE(h.dialogs.errors(), QStringList());
}

void GraphDialogTest::rangeThatIsNotNumberIsReportedAndStored()
{
    Harness h;
    QVERIFY(h.add([](GraphDialog& d) {
        d.m_parametricKindButton->setChecked(true);
        d.m_rangeFromEdit->setText(QStringLiteral("abc"));
        d.m_rangeToEdit->setText(QStringLiteral("1"));
    }));
    QCOMPARE(
        h.dialogs.errors(), QStringList { QStringLiteral("'abc' は浮動小数点数ではありません.") });
    QCOMPARE(h.document.entry(0).rangeFrom, std::string("abc"));
    QCOMPARE(h.document.entry(0).kind, 1);
}

void GraphDialogTest::kindKeptFromLastUse()
{
    Harness h;
    QVERIFY(h.add([](GraphDialog& d) { d.m_polarKindButton->setChecked(true); }));
    bool polarShown = false;
    bool rangeShown = false;
    QVERIFY(h.add([&](GraphDialog& d) {
        polarShown = d.m_polarKindButton->isChecked();
        rangeShown = d.m_rangeRow->isVisible();
    }));
    QVERIFY(polarShown);
    QVERIFY(rangeShown);
    QCOMPARE(h.document.entry(1).kind, 2);
}

void GraphDialogTest::kindSwitchRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<bool>("secondRow");
    QTest::addColumn<bool>("rangeRow");
    QTest::newRow("function") << 0 << QStringLiteral("y=f(x) ") << false << false;
    QTest::newRow("parametric") << 1 << QStringLiteral("y=f(t) ") << true << true;
    QTest::newRow("polar") << 2 << QStringLiteral("r=f(s) ") << false << true;
}

void GraphDialogTest::kindSwitchRows()
{
    QFETCH(int, kind);
    QFETCH(QString, label1);
    QFETCH(bool, secondRow);
    QFETCH(bool, rangeRow);
    Harness h;
    GraphEntry entry = graph("g", kind);
    entry.visible = 0;
    h.document.appendEntry(entry);
    h.dialog.m_parametricKindButton->setChecked(true); // some other kind from an earlier use
    bool shownSecond = false, shownRange = false;
    QString shownLabel;
    QVERIFY(h.edit(0, [&](GraphDialog& d) {
        shownSecond = d.m_secondFormulaRow->isVisible();
        shownRange = d.m_rangeRow->isVisible();
        shownLabel = d.m_formulaLabel->text();
    }));
    QCOMPARE(shownLabel, label1);
    QCOMPARE(shownSecond, secondRow);
    QCOMPARE(shownRange, rangeRow);
    QCOMPARE(h.dialog.selectedKind(), kind);
}

void GraphDialogTest::editMakesHiddenGraphVisible()
{
    Harness h;
    GraphEntry entry = graph("sin(x)");
    entry.visible = 0;
    entry.color = 255;
    entry.width = 3;
    h.document.appendEntry(entry);
    QVERIFY(h.edit(0));
    GraphEntry expected = entry;
    expected.visible = -1;
    QCOMPARE(h.document.entry(0), expected);
    QCOMPARE(h.dialog.m_sampleLine->height(), 3); // the sample shows the entry's width
}

void GraphDialogTest::divisionsTextThatIsNotInteger()
{
    Harness h;
    QVERIFY(h.add([](GraphDialog& d) { d.m_divisionsEdit->setText(QStringLiteral("abc")); }));
    QCOMPARE(h.document.entry(0).divisions, 0);
}

void GraphDialogTest::namingRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("newName");
    QTest::newRow("name was the formula") << "sin(x)"
                                          << "cos(x)";
    QTest::newRow("own name kept") << "wave"
                                   << "wave";
    QTest::newRow("case counts") << "SIN(x)"
                                 << "SIN(x)";
}

void GraphDialogTest::namingRule()
{
    QFETCH(QString, name);
    QFETCH(QString, newName);
    Harness h;
    GraphEntry entry = graph("sin(x)");
    entry.name = name.toStdString();
    h.document.appendEntry(entry);
    QVERIFY(h.edit(0, [](GraphDialog& d) { d.m_formulaEdit->setText(QStringLiteral("cos(x)")); }));
    QCOMPARE(QString::fromStdString(h.document.entry(0).name), newName);
    QCOMPARE(h.document.entry(0).formula1, std::string("cos(x)"));
}

void GraphDialogTest::colourDialogAndWidth()
{
    Harness h;
    h.dialogs.push(std::int32_t { 0x0000ff });
    h.dialogs.push(ScriptedDialogService::Cancel {});
    QVERIFY(h.add([](GraphDialog& d) {
        d.chooseLineColor(); // red chosen
        d.chooseLineColor(); // cancelled: red stays
        d.m_lineWidthButtons->stepUp();
        d.m_lineWidthButtons->stepUp();
    }));
    QCOMPARE(h.document.entry(0).color, 0x0000ff);
    QCOMPARE(h.document.entry(0).width, 3);
    QCOMPARE(h.dialog.m_sampleLine->height(), 3);
    // Colour and width stay for the next add.
    QVERIFY(h.add([](GraphDialog& d) {
        for (int i = 0; i < 9; ++i)
            d.m_lineWidthButtons->stepUp(); // held at 5
    }));
    QCOMPARE(h.document.entry(1).color, 0x0000ff);
    QCOMPARE(h.document.entry(1).width, 5);
}

std::unique_ptr<QObject> makeGraphDialogTest()
{
    return std::make_unique<GraphDialogTest>();
}

#include "graph_dialog_test.moc"
