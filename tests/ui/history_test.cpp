#include "calc/error.h"
#include "document/gdt_writer.h"
#include "main_window_harness.h"
#include "platform/plot_widget.h"
#include "ui/constants_panel.h"
#include "ui/graph_dialog.h"
#include "ui/graph_list.h"
#include "ui/settings_panel.h"
#include "ui/undo_commands.h"
#include "ui_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUndoStack>
#include <random>

using namespace velquor;
using namespace velquor::testing;

namespace {

std::string bytesOf(MainWindow& window)
{
    return encodeGdt(window.document());
}

// Runs a command that shows the graph dialog; fill edits it, then "OK" (or "ｷｬﾝｾﾙ").
void throughGraphDialog(MainWindow& window, const std::function<void(GraphDialog&)>& fill,
    bool confirm, const std::function<void()>& command)
{
    whenModal([&window, fill, confirm] {
        GraphDialog& dialog = window.graphDialog();
        if (fill)
            fill(dialog);
        (confirm ? dialog.m_okButton : dialog.m_cancelButton)->click();
    });
    command();
}

// A random document of graphs and stored items, saved and loaded so its history is empty.
void loadRandomDocument(Harness& h, std::mt19937& random, const QString& path)
{
    Document document;
    const int count = 3 + static_cast<int>(random() % 8);
    for (int i = 0; i < count; ++i) {
        const int kind = std::array { 0, 0, 1, 2, 10, 11 }[random() % 6];
        GraphEntry entry = graph("g" + std::to_string(i), kind);
        entry.formula1 = "x^" + std::to_string(random() % 4);
        entry.formula2 = kind == 1 ? "sin(t)" : "";
        entry.color = static_cast<std::int32_t>(random() % 0xffffff);
        document.appendEntry(entry);
    }
    document.setText(Setting::ValA, std::to_string(random() % 10));
    saveGdt(document, path.toStdString());
    h.window->loadDocument(path);
    QVERIFY(!h.window->hasUnsavedChanges());
    QCOMPARE(h.window->undoStack()->count(), 0);
}

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT
private slots:
    void randomCommandsUndoAndRedoByteForByte();
    void menuItemsFollowTheStack();
    void constantStepsMerge_data();
    void constantStepsMerge();
    void viewChangesAreNoSteps();
    void degreeQuestionIsOneStep_data();
    void degreeQuestionIsOneStep();
    void settingsPanelIsOneStep();
    void selectionFollowsTheStep();
    void newOpenAndSaveSetTheCleanState();

private:
    QTemporaryDir m_folder;
    QString file(const QString& name) const { return m_folder.filePath(name); }
};

void HistoryTest::randomCommandsUndoAndRedoByteForByte()
{
    std::mt19937 random(2112);
    Harness h;
    h.ticks(31);
    loadRandomDocument(h, random, file(QStringLiteral("random.gdt")));
    MainWindow& window = *h.window;
    GraphList& list = window.graphList();
    QUndoStack& stack = *window.undoStack();
    // The document as the stack stood at each index: a merged step replaces the last one.
    std::vector<std::string> states { bytesOf(window) };
    const auto pickItem = [&] {
        if (list.itemCount() == 0)
            return false;
        list.selectRow(static_cast<int>(random() % static_cast<unsigned>(list.itemCount())));
        return true;
    };
    const auto graphSlot = [&]() -> int {
        for (int row = 0; row < list.itemCount(); ++row) {
            const int slot = list.m_tree->topLevelItem(row)->data(0, Qt::UserRole).toInt();
            if (window.document().entry(slot - 1).kind < 10 && random() % 2 == 0)
                return slot;
        }
        return 0;
    };
    const auto constantsSlot = [&]() -> int {
        for (int row = 0; row < list.itemCount(); ++row) {
            const int slot = list.m_tree->topLevelItem(row)->data(0, Qt::UserRole).toInt();
            if (window.document().entry(slot - 1).kind == 11)
                return slot;
        }
        return 0;
    };
    const QString words[] = { QStringLiteral("x"), QStringLiteral("sin(x)"),
        QStringLiteral("a x^2+b"), QStringLiteral("曲線"), QStringLiteral("") };
    const auto word = [&] { return words[random() % std::size(words)]; };

    for (int command = 0; command < 200; ++command) {
        const unsigned kind = random() % 16;
        try {
            switch (kind) {
            case 0:
                throughGraphDialog(
                    window, [&](GraphDialog& d) { d.m_formulaEdit->setText(word()); },
                    random() % 4 != 0, [&] { window.addGraph(); });
                break;
            case 1:
                if (const int slot = graphSlot())
                    throughGraphDialog(
                        window, [&](GraphDialog& d) { d.m_formulaEdit->setText(word()); },
                        random() % 4 != 0, [&] { window.openEntry(slot); });
                break;
            case 2:
                if (pickItem())
                    list.deleteSelected();
                break;
            case 3:
                if (pickItem())
                    list.moveUp();
                break;
            case 4:
                if (pickItem())
                    list.moveDown();
                break;
            case 5:
                if (pickItem()) {
                    list.prepareContextMenu();
                    if (list.m_visibleAction->isEnabled())
                        list.m_visibleAction->trigger();
                }
                break;
            case 6:
                if (pickItem())
                    list.m_tree->currentItem()->setText(0, word() + QString::number(command));
                break;
            case 7:
                h.dialogs.push(word());
                window.addStoredPosition();
                break;
            case 8:
                h.dialogs.push(word());
                window.addStoredConstants();
                break;
            case 9:
                if (const int slot = constantsSlot())
                    window.openEntry(slot);
                break;
            case 10:
                window.constantsPanel().aEdited(QString::number(random() % 100));
                break;
            case 11:
                window.constantsPanel().stepB(random() % 2 ? UpDownButton::Up : UpDownButton::Down);
                break;
            case 12:
                h.dialogs.push(QString::number(random() % 5 + 1));
                window.constantsPanel().askStepA();
                break;
            case 13:
                window.toggleSettingsPanel();
                h.dialogs.push(ScriptedDialogService::Cancel {}); // a cancelled colour dialog
                window.settingsPanel().chooseBackgroundColor(); // redraws what the panel holds
                window.settingsPanel().textEdited(
                    Setting::Ratio, QString::number(random() % 3 + 1));
                window.settingsPanel().textEdited(Setting::Interval,
                    std::array { QStringLiteral(""), QStringLiteral("0"), QStringLiteral("0.5"),
                        QStringLiteral("2") }[random() % 4]);
                window.settingsPanel().degreeClicked(false);
                window.toggleSettingsPanel();
                break;
            case 14:
                h.dialogs.push(random() % 2 == 0); // the degree question
                window.switchToDegrees();
                break;
            default:
                window.toggleFunctionCalls();
                break;
            }
        } catch (const Error& error) { // what the application's event loop would show
            QFAIL(qPrintable(QStringLiteral("command %1 of kind %2: %3")
                                 .arg(command)
                                 .arg(kind)
                                 .arg(QString::fromUtf8(error.what()))));
        }
        states.resize(static_cast<std::size_t>(stack.index()) + 1);
        states.back() = bytesOf(window);
    }
    QVERIFY2(stack.count() > 100, "the commands should leave well over 100 steps");
    QCOMPARE(h.dialogs.errors(), QStringList());
    const int end = stack.index();
    // Each undo gives the document as it was before its command.
    while (stack.canUndo()) {
        window.undo();
        QCOMPARE(bytesOf(window), states[static_cast<std::size_t>(stack.index())]);
    }
    QCOMPARE(bytesOf(window), states.front());
    QVERIFY(!window.hasUnsavedChanges());
    while (stack.canRedo()) {
        window.redo();
        QCOMPARE(bytesOf(window), states[static_cast<std::size_t>(stack.index())]);
    }
    QCOMPARE(stack.index(), end);
    QCOMPARE(bytesOf(window), states.back());
    QCOMPARE(h.dialogs.errors(), QStringList());
}

void HistoryTest::menuItemsFollowTheStack()
{
    Harness h;
    h.ticks(31);
    QAction* undo = h.window->m_undoAction;
    QAction* redo = h.window->m_redoAction;
    const QList<QAction*> edit = h.window->findChild<QMenu*>(QStringLiteral("editMenu"))->actions();
    QCOMPARE(edit.at(0), undo);
    QCOMPARE(edit.at(1), redo);
    QCOMPARE(edit.at(3), h.window->m_copyAction);
    QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U)"));
    QCOMPARE(redo->text(), QStringLiteral("やり直し(&R)"));
    QVERIFY(undo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    QCOMPARE(redo->shortcuts(),
        (QList<QKeySequence> {
            QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) }));
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());

    h.window->document().appendEntry(graph("x"));
    h.window->graphList().rebuild();
    h.window->resetHistory();
    h.window->graphList().selectRow(0);
    h.window->graphList().deleteSelected();
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->statusTip(), QStringLiteral("元に戻す: グラフの削除"));
    QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U)"));
    undo->trigger();
    QVERIFY(redo->isEnabled());
    QCOMPARE(redo->statusTip(), QStringLiteral("やり直し: グラフの削除"));
    QCOMPARE(h.window->graphList().itemCount(), 1);
    redo->trigger();
    QCOMPARE(h.window->graphList().itemCount(), 0);
    QVERIFY(!redo->isEnabled());
}

void HistoryTest::constantStepsMerge_data()
{
    QTest::addColumn<int>("secondKind");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<QString>("secondValue");
    QTest::addColumn<int>("steps");
    const int a = static_cast<int>(MergeKind::ConstantA);
    const int b = static_cast<int>(MergeKind::ConstantB);
    QTest::newRow("same constant within a second") << a << 900 << "2" << 1;
    QTest::newRow("same constant after a pause") << a << 1100 << "2" << 2;
    QTest::newRow("the other constant") << b << 100 << "2" << 2;
    QTest::newRow("back where it started") << a << 100 << "0" << 0;
    QTest::newRow("not mergeable") << static_cast<int>(MergeKind::None) << 100 << "2" << 2;
}

void HistoryTest::constantStepsMerge()
{
    QFETCH(int, secondKind);
    QFETCH(int, gapMs);
    QFETCH(QString, secondValue);
    QFETCH(int, steps);
    Document document;
    const auto stateWithA = [&](const std::string& a) {
        document.setText(Setting::ValA, a);
        return DocumentState::of(document);
    };
    const auto zero = stateWithA("0");
    const auto one = stateWithA("1");
    const auto second = stateWithA(secondValue.toStdString());
    QUndoStack stack;
    const SnapshotCommand::Clock::time_point start {};
    const auto nothing = [](const StepSide&) {};
    stack.push(new SnapshotCommand(QStringLiteral("定数aの変更"), { zero, {}, 0 }, { one, {}, 0 },
        nothing, MergeKind::ConstantA, start));
    stack.push(new SnapshotCommand(QStringLiteral("定数aの変更"), { one, {}, 0 }, { second, {}, 0 },
        nothing, static_cast<MergeKind>(secondKind), start + std::chrono::milliseconds(gapMs)));
    QCOMPARE(stack.count(), steps);
    if (steps == 1) {
        const auto* merged = static_cast<const SnapshotCommand*>(stack.command(0));
        QCOMPARE(*merged->before().state, *zero);
        QCOMPARE(*merged->after().state, *second);
    }
}

void HistoryTest::viewChangesAreNoSteps()
{
    Harness h;
    h.ticks(31);
    MainWindow& window = *h.window;
    GraphEntry position = graph("here", static_cast<std::int32_t>(GraphKind::Position));
    position.rangeFrom = "70";
    window.document().appendEntry(position);
    window.graphList().rebuild();
    window.resetHistory();
    QWidget* plot = window.m_plot;
    sendMouse(plot, QEvent::MouseButtonPress, { 100, 100 }, Qt::LeftButton, Qt::LeftButton);
    sendMouse(plot, QEvent::MouseMove, { 120, 90 }, Qt::NoButton, Qt::LeftButton);
    sendMouse(plot, QEvent::MouseButtonRelease, { 120, 90 }, Qt::LeftButton, Qt::NoButton);
    window.zoomAbout(10, 10, 2);
    window.m_zoomSlider->setValue(300);
    window.openEntry(1); // to the stored position
    window.backToOrigin();
    h.ticks(40);
    QCOMPARE(window.undoStack()->count(), 0);
    QVERIFY(!window.hasUnsavedChanges());
    QVERIFY(!window.m_undoAction->isEnabled());
}

void HistoryTest::degreeQuestionIsOneStep_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("はい: ratio, intervals and zoom change") << true;
    QTest::newRow("いいえ: only the mode") << false;
}

void HistoryTest::degreeQuestionIsOneStep()
{
    QFETCH(bool, answer);
    Harness h;
    h.ticks(31);
    MainWindow& window = *h.window;
    const DocumentSettings before = window.document().settings();
    const std::int32_t zoom = window.document().Zoom;
    h.dialogs.push(answer);
    window.switchToDegrees();
    QCOMPARE(window.document().settings().checkDegree, true);
    QCOMPARE(window.document().Zoom, answer ? 1 : zoom);
    QCOMPARE(window.undoStack()->count(), 1);
    QCOMPARE(window.m_undoAction->statusTip(), QStringLiteral("元に戻す: 度表示に設定"));
    window.undo();
    QVERIFY(window.document().settings() == before);
    QCOMPARE(window.document().Zoom, zoom);
    QVERIFY(!window.settingsPanel().m_degreeCheck->isChecked());
    QCOMPARE(window.m_zoomSlider->value(), zoom);
    window.redo();
    QCOMPARE(window.document().settings().ratio, answer ? "90" : before.ratio);
    QCOMPARE(window.document().Zoom, answer ? 1 : zoom);
    QCOMPARE(h.dialogs.log().filter(QStringLiteral("yesno")).size(), 1); // never asked again
}

void HistoryTest::settingsPanelIsOneStep()
{
    Harness h;
    h.ticks(31);
    MainWindow& window = *h.window;
    const DocumentSettings before = window.document().settings();
    window.toggleSettingsPanel();
    SettingsPanel& panel = window.settingsPanel();
    panel.textEdited(Setting::Ratio, QStringLiteral("2"));
    panel.m_gridCheck->click();
    panel.textEdited(Setting::Interval2, QString()); // repaired to "1" by closing
    h.dialogs.push(std::int32_t { 255 });
    panel.chooseBackgroundColor();
    QCOMPARE(window.undoStack()->count(), 0); // nothing while the panel is open...
    QVERIFY(window.hasUnsavedChanges()); // ...but the changes count
    window.toggleSettingsPanel();
    QCOMPARE(window.undoStack()->count(), 1);
    QCOMPARE(window.undoStack()->undoText(), QStringLiteral("設定の変更"));
    QCOMPARE(window.document().settings().interval2, "1");
    window.undo();
    QVERIFY(window.document().settings() == before);
    QCOMPARE(panel.m_ratioEdit->text(), QStringLiteral("1"));
    QVERIFY(panel.m_gridCheck->isChecked());
    window.redo();
    QCOMPARE(window.document().settings().ratio, "2");
    QCOMPARE(window.document().settings().backgroundColor, 255);

    // A constant stepped while the panel is open is a step of its own, and the panel's edits
    // stay for its closing.
    window.toggleSettingsPanel();
    panel.textEdited(Setting::Ratio, QStringLiteral("3"));
    window.constantsPanel().aEdited(QStringLiteral("5"));
    QCOMPARE(window.undoStack()->undoText(), QStringLiteral("定数aの変更"));
    window.toggleSettingsPanel();
    QCOMPARE(window.undoStack()->undoText(), QStringLiteral("設定の変更"));
    window.undo();
    QCOMPARE(window.document().settings().ratio, "2");
    QCOMPARE(window.document().settings().valA, "5");
    window.undo();
    QCOMPARE(window.document().settings().valA, "0");
    QCOMPARE(window.constantsPanel().m_aEdit->text(), QStringLiteral("0"));
}

void HistoryTest::selectionFollowsTheStep()
{
    Harness h;
    h.ticks(31);
    MainWindow& window = *h.window;
    GraphList& list = window.graphList();
    for (const char* name : { "a", "b", "c" })
        window.document().appendEntry(graph(name));
    list.rebuild();
    window.resetHistory();

    list.selectRow(1);
    list.deleteSelected();
    QCOMPARE(list.selectedSlot(), 0);
    window.undo();
    QCOMPARE(list.selectedSlot(), 2); // the graph that came back
    list.selectRow(2);
    list.moveUp();
    window.undo();
    QCOMPARE(list.selectedSlot(), 3);
    window.redo();
    QCOMPARE(list.selectedSlot(), 0); // as the move left it

    throughGraphDialog(
        window, [](GraphDialog& d) { d.m_formulaEdit->setText(QStringLiteral("x")); }, true,
        [&] { window.addGraph(); });
    window.undo();
    QCOMPARE(list.itemCount(), 3);
    window.redo();
    QCOMPARE(list.itemCount(), 4);
    QCOMPARE(list.selectedSlot(), 4); // the added graph
}

void HistoryTest::newOpenAndSaveSetTheCleanState()
{
    Harness h;
    h.ticks(31);
    MainWindow& window = *h.window;
    window.constantsPanel().aEdited(QStringLiteral("3"));
    QVERIFY(window.hasUnsavedChanges());
    const QString path = file(QStringLiteral("clean.gdt"));
    h.dialogs.push(path);
    window.saveDocument();
    QVERIFY(!window.hasUnsavedChanges());
    QVERIFY(window.m_undoAction->isEnabled()); // a save keeps the history
    window.undo();
    QVERIFY(window.hasUnsavedChanges());
    window.redo();
    QVERIFY(!window.hasUnsavedChanges());

    window.constantsPanel().aEdited(QStringLiteral("4"));
    h.dialogs.push(false); // "いいえ(&N)" to the question
    window.newDocument();
    QCOMPARE(window.undoStack()->count(), 0);
    QVERIFY(!window.hasUnsavedChanges());
    window.constantsPanel().aEdited(QStringLiteral("5")); // New keeps a
    h.dialogs.push(false);
    h.dialogs.push(path);
    window.openDocument();
    QCOMPARE(window.document().settings().valA, "3");
    QCOMPARE(window.undoStack()->count(), 0);
    QVERIFY(!window.m_undoAction->isEnabled());
}

std::unique_ptr<QObject> makeHistoryTest()
{
    return std::make_unique<HistoryTest>();
}

#include "history_test.moc"
