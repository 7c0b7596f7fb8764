#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "session_support.h"
#include "ui/graph_list.h"
#include "ui/recovery_controller.h"

#include <QApplication>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <memory>

using namespace velquor;
using namespace velquor::testing;

namespace velquor::testing {

int runChangedInstance(const QString& path)
{
    ScriptedDialogService dialogs;
    MainWindow window(dialogs, { path });
    window.document().setText(Setting::ValA, "3");
    return QApplication::exec();
}

} // namespace velquor::testing

namespace {

const QString RestoreQuestionLog
    = QStringLiteral("yesno: 確認: ") + QString::fromUtf8(RecoveryController::RestoreQuestion);

GraphEntry functionGraph(const std::string& formula)
{
    GraphEntry entry;
    entry.name = formula;
    entry.formula1 = formula;
    entry.visible = -1;
    entry.color = 255;
    entry.width = 1;
    entry.divisions = 100;
    entry.rangeFrom = "0";
    entry.rangeTo = "1";
    return entry;
}

// A document of two graphs saved at path.
void saveTwoGraphs(const QString& path)
{
    Document document;
    document.appendEntry(functionGraph("sin(x)"));
    document.appendEntry(functionGraph("x^2"));
    saveGdt(document, path.toStdString());
}

QByteArray encoded(const Document& document)
{
    return QByteArray::fromStdString(encodeGdt(document));
}

QTimer* recoveryDelay(MainWindow& window)
{
    return window.findChild<QTimer*>(QStringLiteral("recoveryDelay"));
}

} // namespace

class RecoveryWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { clearRecoveryFolder(); }
    void changesAreCopiedWithinTheDelay_data();
    void changesAreCopiedWithinTheDelay();
    void saveNewAndOpenRemoveTheCopy_data();
    void saveNewAndOpenRemoveTheCopy();
    void killedInstanceIsOffered_data();
    void killedInstanceIsOffered();
    void runningInstanceKeepsItsCopy();
    void unreadableCopyIsKeptAside_data();
    void unreadableCopyIsKeptAside();
    void restoreAsksNoDegreeQuestion();

private:
    QString file(const QString& name) const { return m_temp.filePath(name); }
    QTemporaryDir m_temp;
};

void RecoveryWindowTest::changesAreCopiedWithinTheDelay_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("changes");
    QTest::newRow("a typed") << QByteArray("a typed") << true;
    QTest::newRow("graph deleted") << QByteArray("graph deleted") << true;
    QTest::newRow("graph moved down") << QByteArray("graph moved down") << true;
    QTest::newRow("graph renamed") << QByteArray("graph renamed") << true;
    QTest::newRow("position stored") << QByteArray("position stored") << true;
    QTest::newRow("degree mode") << QByteArray("degree mode") << true;
    // View changes are saved with the document but are not changes of it.
    QTest::newRow("back to origin") << QByteArray("back to origin") << false;
    QTest::newRow("zoom slider") << QByteArray("zoom slider") << false;
    QTest::newRow("nothing") << QByteArray("nothing") << false;
}

void RecoveryWindowTest::changesAreCopiedWithinTheDelay()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, changes);
    const std::map<QByteArray, std::function<void(Harness&)>> commands = {
        { "a typed", [](Harness& h) { h.window->document().setText(Setting::ValA, "2"); } },
        { "graph deleted", [](Harness& h) { h.window->graphList().deleteSelected(); } },
        { "graph moved down", [](Harness& h) { h.window->graphList().moveDown(); } },
        { "graph renamed",
            [](Harness& h) {
                h.window->graphList().m_tree->topLevelItem(0)->setText(0, QStringLiteral("f"));
            } },
        { "position stored",
            [](Harness& h) {
                h.dialogs.push(QStringLiteral("here"));
                h.window->addStoredPosition();
            } },
        { "degree mode", [](Harness& h) { h.window->switchToDegrees(); } },
        { "back to origin", [](Harness& h) { h.window->backToOrigin(); } },
        { "zoom slider", [](Harness& h) { h.window->m_zoomSlider->setValue(77); } },
        { "nothing", [](Harness&) {} },
    };
    saveTwoGraphs(file(QStringLiteral("two.gdt")));
    Harness h({ file(QStringLiteral("two.gdt")) });
    h.window->graphList().selectRow(0);
    QVERIFY(!h.window->recovery().hasUnsavedChanges());
    commands.at(command)(h);
    QCOMPARE(h.window->recovery().hasUnsavedChanges(), changes);
    QCOMPARE(recoveryDelay(*h.window)->isActive(), changes);
    const QString copy = h.window->recovery().store().documentPath();
    if (!changes) {
        QVERIFY(!QFile::exists(copy));
        return;
    }
    // The delay's own timer, not a call of the test, writes the copy.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 5000);
    h.window->recovery().store().waitUntilIdle();
    QCOMPARE(readFile(copy), encoded(h.window->document()));
}

void RecoveryWindowTest::saveNewAndOpenRemoveTheCopy_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("save as") << QByteArray("save as");
    QTest::newRow("save") << QByteArray("save");
    QTest::newRow("new") << QByteArray("new");
    QTest::newRow("open") << QByteArray("open");
}

void RecoveryWindowTest::saveNewAndOpenRemoveTheCopy()
{
    QFETCH(QByteArray, command);
    saveTwoGraphs(file(QStringLiteral("two.gdt")));
    Harness h({ file(QStringLiteral("two.gdt")) });
    h.window->document().setText(Setting::ValB, "5");
    h.window->recovery().writeNow();
    RecoveryStore& store = h.window->recovery().store();
    store.waitUntilIdle();
    QVERIFY(QFile::exists(store.documentPath()));
    if (command == QByteArray("save as")) {
        h.dialogs.push(file(QStringLiteral("saved.gdt")));
        h.window->saveDocumentAs();
    } else if (command == QByteArray("save")) {
        h.window->saveDocument();
    } else if (command == QByteArray("new")) {
        h.dialogs.push(false); // the changes are not saved
        h.window->newDocument();
    } else {
        h.dialogs.push(false);
        h.dialogs.push(file(QStringLiteral("two.gdt")));
        h.window->openDocument();
    }
    store.waitUntilIdle();
    QVERIFY(!QFile::exists(store.documentPath()));
    QVERIFY(!h.window->recovery().hasUnsavedChanges());
    QVERIFY(!recoveryDelay(*h.window)->isActive());
}

void RecoveryWindowTest::killedInstanceIsOffered_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("declined") << false;
}

void RecoveryWindowTest::killedInstanceIsOffered()
{
    QFETCH(bool, accept);
    const QString original = file(QStringLiteral("killed.gdt"));
    saveTwoGraphs(original);
    QByteArray copyBytes;
    {
        ChildInstance child(original);
        QVERIFY(child.started());
        QTRY_COMPARE_WITH_TIMEOUT(recoveryCopies().size(), 1, 20000);
        child.kill();
        copyBytes = readFile(recoveryCopies().constFirst());
    }
    // What the killed instance held: the file with a = 3.
    Document expected;
    loadGdt(expected, original.toStdString());
    expected.setText(Setting::ValA, "3");
    QCOMPARE(copyBytes, encoded(expected));

    Harness h;
    h.dialogs.push(accept);
    h.window->offerRecovery();
    QCOMPARE(h.dialogs.log(), QStringList { RestoreQuestionLog });
    RecoveryStore& store = h.window->recovery().store();
    if (accept) {
        QCOMPARE(encoded(h.window->document()), copyBytes);
        QCOMPARE(QString::fromStdString(h.window->document().fileName()), original);
        QCOMPARE(h.window->graphList().itemCount(), 2);
        QVERIFY(h.window->recovery().hasUnsavedChanges());
        QVERIFY(h.window->hasUnsavedChanges()); // the question asks before it is lost
        // The copy now belongs to this instance; the original file is untouched.
        QCOMPARE(recoveryCopies(), QStringList { store.documentPath() });
        QCOMPARE(readFile(store.documentPath()), copyBytes);
        QVERIFY(readFile(original) != copyBytes);
    } else {
        QCOMPARE(h.window->document().graphCount(), 0);
        QVERIFY(h.window->document().fileName().empty());
        QVERIFY(!h.window->recovery().hasUnsavedChanges());
        QVERIFY(recoveryCopies().isEmpty());
    }
    // Offered once: a later start asks nothing.
    Harness later;
    later.window->offerRecovery();
    QCOMPARE(later.dialogs.log(), QStringList());
}

void RecoveryWindowTest::runningInstanceKeepsItsCopy()
{
    const QString original = file(QStringLiteral("running.gdt"));
    saveTwoGraphs(original);
    ChildInstance child(original);
    QVERIFY(child.started());
    QTRY_COMPARE_WITH_TIMEOUT(recoveryCopies().size(), 1, 20000);
    const QString childCopy = recoveryCopies().constFirst();
    {
        Harness second;
        second.window->offerRecovery();
        QCOMPARE(second.dialogs.log(), QStringList());
        second.window->document().setText(Setting::ValA, "7");
        second.window->recovery().writeNow();
        second.window->recovery().store().waitUntilIdle();
        QCOMPARE(recoveryCopies().size(), 2);
        QVERIFY(QFile::exists(childCopy));
    }
    // The second instance ended cleanly and took only its own copy with it.
    QCOMPARE(recoveryCopies(), QStringList { childCopy });
    child.kill();
    Harness third;
    third.window->offerRecovery();
    QCOMPARE(third.dialogs.log(), QStringList { RestoreQuestionLog });
}

void RecoveryWindowTest::unreadableCopyIsKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not a document") << QByteArray("shopping list\n");
    QTest::newRow("empty") << QByteArray();
    // The writer's header, then a count that is not an integer: the load would fail.
    QTest::newRow("bad integer") << QByteArray(
        "Velquor 1.00 Alpha Version Data File\r\n1.00\r\n[Count]\r\nmany\r\n[END]\r\n");
}

void RecoveryWindowTest::unreadableCopyIsKeptAside()
{
    QFETCH(QByteArray, bytes);
    const QString folder = defaultRecoveryFolder();
    QDir().mkpath(folder);
    writeFile(folder + QStringLiteral("/20200101-000000-7.gdt"), bytes);
    Harness h;
    h.window->offerRecovery();
    const QString kept = folder + QStringLiteral("/20200101-000000-7.unreadable.gdt");
    QCOMPARE(h.dialogs.log(),
        QStringList { QStringLiteral("error: ")
            + QString::fromUtf8(RecoveryController::UnreadableMessage).arg(kept)
            + QStringLiteral(".") });
    QCOMPARE(readFile(kept), bytes);
    QVERIFY(recoveryCopies().isEmpty());
    QCOMPARE(h.window->document().graphCount(), 0);
    Harness later;
    later.window->offerRecovery();
    QCOMPARE(later.dialogs.log(), QStringList());
}

void RecoveryWindowTest::restoreAsksNoDegreeQuestion()
{
    Document degrees;
    degrees.appendEntry(functionGraph("sin(x)"));
    degrees.setText(Setting::Ratio, "3");
    degrees.setFlag(Setting::CheckDegree, true);
    const QString folder = defaultRecoveryFolder();
    QDir().mkpath(folder);
    writeFile(folder + QStringLiteral("/20200101-000000-8.gdt"), encoded(degrees));
    Harness h;
    h.dialogs.push(true);
    h.dialogs.push(true); // would answer the degree question, were it asked
    h.window->offerRecovery();
    QCOMPARE(h.dialogs.log(), QStringList { RestoreQuestionLog });
    QVERIFY(h.window->document().settings().checkDegree);
    QCOMPARE(h.window->document().settings().ratio, std::string("3"));
    // A copy of a document never saved restores without a file name.
    QVERIFY(h.window->document().fileName().empty());
}

std::unique_ptr<QObject> makeRecoveryWindowTest()
{
    return std::make_unique<RecoveryWindowTest>();
}

#include "recovery_window_test.moc"
