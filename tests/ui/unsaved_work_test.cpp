#include "calc/error.h"
#include "document/gdt_writer.h"
#include "main_window_harness.h"
#include "platform/plot_widget.h"
#include "ui/constants_panel.h"
#include "ui/error_box.h"
#include "ui/graph_dialog.h"
#include "ui/graph_list.h"
#include "ui/settings_panel.h"
#include "ui_test_support.h"

#include <QAction>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>

using namespace velquor;
using namespace velquor::testing;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The commands that replace the document or end the program, each run the way the user
// starts it; true when it went on (the document replaced, the window closed).
enum class Command { New, Open, Drop, Exit, Close };

bool run(Harness& h, Command command, const QString& other)
{
    MainWindow& window = *h.window;
    switch (command) {
    case Command::New:
        window.newDocument();
        return window.document().fileName().empty() && !window.hasUnsavedChanges();
    case Command::Open:
        window.openDocument();
        return QString::fromStdString(window.document().fileName()) == other;
    case Command::Drop: {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(other) });
        QDragEnterEvent enter(
            QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        QCoreApplication::sendPostedEvents(&window); // the question comes after the drop
        return QString::fromStdString(window.document().fileName()) == other;
    }
    case Command::Exit:
        window.quit();
        return !window.isVisible();
    case Command::Close:
        return window.close();
    }
    return false;
}

} // namespace

class UnsavedWorkTest : public QObject
{
    Q_OBJECT
private slots:
    void questionBeforeChangesAreLost_data();
    void questionBeforeChangesAreLost();
    void fileThatIsNoDocument_data();
    void fileThatIsNoDocument();
    void renameOnlyFromItsOwnGesture_data();
    void renameOnlyFromItsOwnGesture();
    void focusAfterTheSettingsPanel_data();
    void focusAfterTheSettingsPanel();
    void helpWindowClosesFromTheKeyboard();
    void shortcutsOfTheMenus();

private:
    QTemporaryDir m_folder;
    QString file(const QString& name) const { return m_folder.filePath(name); }
};

void UnsavedWorkTest::questionBeforeChangesAreLost_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("named"); // the document has a file name
    QTest::addColumn<int>("answer"); // 0 はい, 1 いいえ, 2 キャンセル
    QTest::addColumn<int>("saveAs"); // 0 not asked, 1 a path, 2 cancelled, 3 a path that fails
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<bool>("saved");
    const char* names[] = { "New", "Open", "Drop", "Exit", "Close" };
    for (int command = 0; command < 5; ++command) {
        const auto row = [&](const char* what) -> QTestData& {
            return QTest::addRow("%s, %s", names[command], what) << command;
        };
        row("no changes: nothing asked") << false << true << -1 << 0 << true << false;
        row("はい saves to its file") << true << true << 0 << 0 << true << true;
        row("いいえ discards") << true << true << 1 << 0 << true << false;
        row("キャンセル stops") << true << true << 2 << 0 << false << false;
        row("はい without a name: Save As") << true << false << 0 << 1 << true << true;
        row("はい, Save As cancelled stops") << true << false << 0 << 2 << false << false;
        row("はい, a failing save stops") << true << false << 0 << 3 << false << false;
    }
}

void UnsavedWorkTest::questionBeforeChangesAreLost()
{
    QFETCH(int, command);
    QFETCH(bool, changed);
    QFETCH(bool, named);
    QFETCH(int, answer);
    QFETCH(int, saveAs);
    QFETCH(bool, goesOn);
    QFETCH(bool, saved);
    const QString own = file(QStringLiteral("own.gdt"));
    const QString other = file(QStringLiteral("other.gdt"));
    const QString saveAsPath = file(QStringLiteral("saved-as.gdt"));
    QFile::remove(saveAsPath);
    writeLines(own, documentLines({ QStringLiteral("[A]"), QStringLiteral("1") }, {}));
    writeLines(other, documentLines({ QStringLiteral("[A]"), QStringLiteral("2") }, {}));
    const QByteArray ownBefore = contents(own);

    Harness h(named ? QStringList { own } : QStringList {});
    if (changed)
        h.window->constantsPanel().aEdited(QStringLiteral("7"));
    const std::string changedBytes = encodeGdt(h.window->document());
    if (answer >= 0)
        h.dialogs.push(answer == 2
                ? ScriptedDialogService::Answer { ScriptedDialogService::Cancel {} }
                : ScriptedDialogService::Answer { answer == 0 });
    if (saveAs == 1)
        h.dialogs.push(saveAsPath);
    else if (saveAs == 2)
        h.dialogs.push(ScriptedDialogService::Cancel {});
    else if (saveAs == 3)
        h.dialogs.push(file(QStringLiteral("no-such-folder/x.gdt")));
    if (command == int(Command::Open))
        h.dialogs.push(other);

    QCOMPARE(run(h, static_cast<Command>(command), other), goesOn);
    const QStringList questions = h.dialogs.log().filter(QStringLiteral("yesnocancel: "));
    QCOMPARE(questions,
        changed ? QStringList { QStringLiteral("yesnocancel: 確認: 変更を保存しますか？") }
                : QStringList {});
    const QString savedTo = saveAs == 0 ? own : saveAsPath;
    if (saved)
        QCOMPARE(contents(savedTo).toStdString(), changedBytes);
    else if (named)
        QCOMPARE(contents(own), ownBefore);
    QCOMPARE(QFile::exists(saveAsPath), saved && saveAs == 1);
    QCOMPARE(h.dialogs.errors().size(), saveAs == 3 ? 1 : 0);
    if (!goesOn) // the document stays as it was, changes and all
        QCOMPARE(encodeGdt(h.window->document()), changedBytes);
}

void UnsavedWorkTest::fileThatIsNoDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isDocument");
    QTest::newRow("a text file") << QByteArray("Shopping list\r\nmilk\r\n[eggs]\r\n") << false;
    QTest::newRow("an empty file") << QByteArray() << false;
    QTest::newRow("a key in another case") << QByteArray("[count]\n1\n[end]\n") << false;
    QTest::newRow("binary bytes") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << false;
    QTest::newRow("only [END]") << QByteArray("[END]\r\n") << true;
    QTest::newRow("one key, no [END]") << QByteArray("[A]\r\n5\r\n") << true;
}

void UnsavedWorkTest::fileThatIsNoDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isDocument);
    const QString own = file(QStringLiteral("mine.gdt"));
    writeLines(own,
        documentLines({},
            { { QStringLiteral("g"), QStringLiteral("-1"), QStringLiteral("0"),
                QStringLiteral("255"), QStringLiteral("1"), QStringLiteral("x"), QString(),
                QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("1") } }));
    const QString text = file(QStringLiteral("notes.txt"));
    writeBytes(text, bytes);
    Harness h({ own });
    h.ticks(31);
    h.window->constantsPanel().aEdited(QStringLiteral("3")); // a step that must survive
    const std::string before = encodeGdt(h.window->document());
    const QImage plot = h.window->surface().image().copy();

    h.dialogs.push(false); // "いいえ(&N)": do not save the change
    h.dialogs.push(text);
    try {
        h.window->openDocument();
    } catch (const Error& error) { // as the window's command guard shows it
        h.dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
    if (isDocument) {
        QCOMPARE(h.dialogs.errors(), QStringList());
        QCOMPARE(QString::fromStdString(h.window->document().fileName()), text);
        return;
    }
    QCOMPARE(h.dialogs.errors(),
        QStringList { QStringLiteral("ﾌｧｲﾙ %1 はグラフのファイルではありません.").arg(text) });
    QCOMPARE(encodeGdt(h.window->document()), before);
    QCOMPARE(QString::fromStdString(h.window->document().fileName()), own);
    QCOMPARE(h.window->surface().image(), plot);
    QCOMPARE(h.window->graphList().itemCount(), 1);
    QCOMPARE(h.window->undoStack()->count(), 1);
    h.window->saveDocument(); // goes to the document's own file, never the text file
    QCOMPARE(contents(text), bytes);
}

void UnsavedWorkTest::renameOnlyFromItsOwnGesture_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<bool>("renames");
    QTest::newRow("double click, dialog cancelled") << "double click" << false;
    QTest::newRow("slow second click") << "slow click" << true;
    QTest::newRow("F2") << "F2" << true;
    QTest::newRow("the pop-up's item") << "pop-up" << true;
}

void UnsavedWorkTest::renameOnlyFromItsOwnGesture()
{
    QFETCH(QString, gesture);
    QFETCH(bool, renames);
    Harness h;
    h.ticks(31);
    h.window->document().appendEntry(graph("sqrt(x)"));
    GraphList& list = h.window->graphList();
    list.rebuild();
    list.selectRow(0);
    QTreeWidget* tree = list.m_tree;
    tree->setFocus();
    QWidget* viewport = tree->viewport();
    const QPoint at = tree->visualItemRect(tree->topLevelItem(0)).center();
    const auto editorOpen = [tree] {
        QWidget* editor = tree->indexWidget(tree->currentIndex());
        return editor && editor->isVisible();
    };
    if (gesture == QLatin1String("double click")) {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at); // on the selected item
        whenModal([&] { h.window->graphDialog().m_cancelButton->click(); });
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    } else if (gesture == QLatin1String("slow click")) {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    } else if (gesture == QLatin1String("F2")) {
        QTest::keyClick(tree, Qt::Key_F2);
    } else {
        list.prepareContextMenu();
        list.m_renameAction->trigger();
    }
    if (renames) {
        QTRY_VERIFY(editorOpen());
        return;
    }
    // Well past the double-click interval in which Qt would have opened the editor.
    QElapsedTimer waited;
    waited.start();
    QTRY_VERIFY_WITH_TIMEOUT(waited.hasExpired(3 * QApplication::doubleClickInterval()), 10000);
    QVERIFY(!editorOpen());
    QTest::keyClicks(tree, QStringLiteral("abc"));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(h.window->document().entry(0).name, "sqrt(x)");
}

void UnsavedWorkTest::focusAfterTheSettingsPanel_data()
{
    QTest::addColumn<QString>("before"); // who has the focus when the panel opens
    QTest::newRow("the plot") << "plot";
    QTest::newRow("the value of a") << "a";
    QTest::newRow("nobody") << "";
}

void UnsavedWorkTest::focusAfterTheSettingsPanel()
{
    QFETCH(QString, before);
    Harness h;
    h.ticks(31);
    MainWindow& window = *h.window;
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QLineEdit* a = window.constantsPanel().m_aEdit;
    QWidget* expected = window.m_plot;
    if (before == QLatin1String("a")) {
        a->setFocus(Qt::OtherFocusReason);
        expected = a;
    } else if (before == QLatin1String("plot")) {
        window.m_plot->setFocus(Qt::OtherFocusReason);
    } else if (QWidget* focus = window.focusWidget()) {
        focus->clearFocus();
    }
    window.toggleSettingsPanel();
    // Typing in the panel, then closing it from the toolbar (which takes no focus).
    QLineEdit* ratio = window.settingsPanel().m_ratioEdit;
    ratio->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(ratio, QStringLiteral("2"));
    window.toggleSettingsPanel();
    QCOMPARE(window.focusWidget(), expected);
    QCOMPARE(a->selectedText(), QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
    QCOMPARE(window.document().settings().valA, before == QLatin1String("a") ? "05" : "0");
}

void UnsavedWorkTest::helpWindowClosesFromTheKeyboard()
{
    for (const QKeySequence& key :
        { QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W) }) {
        Harness h({}, false);
        h.window->showHelp();
        QWidget* help = h.window->help().window();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keySequence(help, key);
        QTRY_VERIFY(!help->isVisible());
    }
}

void UnsavedWorkTest::shortcutsOfTheMenus()
{
    Harness h({}, false);
    QHash<QString, QKeySequence> keys;
    for (QAction* menu : h.window->menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions())
            keys.insert(item->text(), item->shortcut());
    }
    const std::pair<const char*, QKeySequence> expected[] = {
        { "新規作成(&N)", QKeySequence(Qt::CTRL | Qt::Key_N) },
        { "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O) },
        { "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S) },
        { "名前をつけて保存(&A)...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S) },
        { "印刷(&P)...", QKeySequence(Qt::CTRL | Qt::Key_P) },
        { "終了(&X)", QKeySequence(Qt::CTRL | Qt::Key_Q) },
        { "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z) },
        { "やり直し(&R)", QKeySequence(Qt::CTRL | Qt::Key_Y) },
        { "ｺﾋﾟｰ(&C)", QKeySequence(Qt::CTRL | Qt::Key_C) },
        { "削除&D)", QKeySequence(Qt::Key_Delete) },
        { "目次(&C)", QKeySequence(Qt::Key_F1) },
    };
    for (const auto& [text, key] : expected)
        QCOMPARE(keys.value(QString::fromUtf8(text)), key);

    // Delete in the graph list deletes the selected graph, as one step.
    h.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
    h.window->document().appendEntry(graph("x"));
    GraphList& list = h.window->graphList();
    list.rebuild();
    list.selectRow(0);
    list.m_tree->setFocus();
    QTest::keyClick(list.m_tree, Qt::Key_Delete);
    QCOMPARE(list.itemCount(), 0);
    h.window->undo();
    QCOMPARE(list.itemCount(), 1);
}

std::unique_ptr<QObject> makeUnsavedWorkTest()
{
    return std::make_unique<UnsavedWorkTest>();
}

#include "unsaved_work_test.moc"
