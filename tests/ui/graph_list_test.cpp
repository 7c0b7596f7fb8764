#include "document/document.h"
#include "ui/graph_list.h"
#include "ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace velquor;
using namespace velquor::testing;

namespace {

struct Harness
{
    Document document;
    GraphList list { document };
    int redraws = 0;
    QList<int> opened;

    explicit Harness(const std::vector<GraphEntry>& entries)
    {
        for (const GraphEntry& entry : entries)
            document.appendEntry(entry);
        list.redraw = [this] { ++redraws; };
        list.openEntry = [this](int slot) { opened.append(slot); };
        list.resize(150, 300);
        list.show();
        list.rebuild();
    }
    QStringList texts() const
    {
        QStringList result;
        for (int i = 0; i < list.itemCount(); ++i)
            result << list.m_tree->topLevelItem(i)->text(0);
        return result;
    }
    QList<int> slotNumbers() const
    {
        QList<int> result;
        for (int i = 0; i < list.itemCount(); ++i)
            result << list.m_tree->topLevelItem(i)->data(0, Qt::UserRole).toInt();
        return result;
    }
};

} // namespace

class GraphListTest : public QObject
{
    Q_OBJECT
private slots:
    void deletedFirstSlotAndMoves();
    void upAndDownAtTheEnds();
    void deletingOnlyEntryShowsPlaceholder();
    void popupCaptionsByKind_data();
    void popupCaptionsByKind();
    void showHideKeepsItem();
    void emptyNameAfterEditing();
    void commandsWithoutSelectionDoNothing();
    void doubleClickOpensSelectedSlot();
    void rightClickSelectsTheItemUnderTheMouse();
    void rightClickOnBlankSpaceOpensNothing();
    void menuKeyOpensThePopupOfTheSelectedItem();
};

void GraphListTest::deletedFirstSlotAndMoves()
{
    Harness h({ graph("a"), graph("b"), graph("c") });
    h.document.markDeleted(0);
    h.list.rebuild();
    QCOMPARE(h.slotNumbers(), (QList<int> { 2, 3 }));

    // Slot 2 moves up into the deleted slot 1: the list looks the same.
    h.list.selectRow(0);
    h.list.moveUp();
    QCOMPARE(h.texts(), (QStringList { QStringLiteral("b"), QStringLiteral("c") }));
    QCOMPARE(h.slotNumbers(), (QList<int> { 1, 3 }));
    QCOMPARE(h.redraws, 1);
    QCOMPARE(h.document.entry(1).deleted, -1);

    // Back in the first table: slot 2 may not move down, 2 is not less than the two items.
    Harness again({ graph("a"), graph("b"), graph("c") });
    again.document.markDeleted(0);
    again.list.rebuild();
    again.list.selectRow(0);
    again.list.moveDown();
    QCOMPARE(again.slotNumbers(), (QList<int> { 2, 3 }));
    QCOMPARE(again.document.entry(1).name, std::string("b"));
    QCOMPARE(again.redraws, 0);
}

void GraphListTest::upAndDownAtTheEnds()
{
    Harness h({ graph("a"), graph("b") });
    h.list.selectRow(0);
    h.list.moveUp(); // slot 1 does not move up
    h.list.selectRow(1);
    h.list.moveDown(); // the last item does not move down
    QCOMPARE(h.texts(), (QStringList { QStringLiteral("a"), QStringLiteral("b") }));
    QCOMPARE(h.redraws, 0);
    h.list.selectRow(0);
    h.list.moveDown();
    QCOMPARE(h.texts(), (QStringList { QStringLiteral("b"), QStringLiteral("a") }));
    QCOMPARE(h.list.selectedSlot(), 0); // the rebuild keeps no selection
}

void GraphListTest::deletingOnlyEntryShowsPlaceholder()
{
    Harness h({ graph("a") });
    QVERIFY(h.list.m_tree->isVisible());
    QVERIFY(!h.list.m_placeholder->isVisible());
    h.list.selectRow(0);
    h.list.deleteSelected();
    QVERIFY(h.list.m_placeholder->isVisible());
    QVERIFY(!h.list.m_tree->isVisible());
    QCOMPARE(h.list.m_placeholder->text(), QStringLiteral("グラフを追加してください"));
    QCOMPARE(h.document.graphCount(), 1);
    QCOMPARE(h.document.entry(0).visible, 0);
    QCOMPARE(h.redraws, 1);
}

void GraphListTest::popupCaptionsByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("showEnabled");
    QTest::newRow("function") << 0 << QStringLiteral("グラフの設定") << true;
    QTest::newRow("parametric") << 1 << QStringLiteral("グラフの設定") << true;
    QTest::newRow("polar") << 2 << QStringLiteral("グラフの設定") << true;
    QTest::newRow("position") << 10 << QStringLiteral("移動") << false;
    QTest::newRow("constants") << 11 << QStringLiteral("定数の復元") << false;
    QTest::newRow("unknown kind from a file") << 7 << QStringLiteral("グラフの設定") << true;
}

void GraphListTest::popupCaptionsByKind()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(bool, showEnabled);
    // A stored item first, so that the caption always changes from the last opening.
    Harness h({ graph("p", 10), graph("x", kind) });
    h.list.selectRow(0);
    h.list.prepareContextMenu();
    h.list.selectRow(1);
    h.list.prepareContextMenu();
    QCOMPARE(h.list.m_openAction->text(), caption);
    QCOMPARE(h.list.m_visibleAction->isEnabled(), showEnabled);
    QCOMPARE(h.list.m_visibleAction->isChecked(), kind < 10);
    QVERIFY(h.list.m_deleteAction->isEnabled());
    QVERIFY(h.list.m_moveUpAction->isEnabled());
    QVERIFY(h.list.m_moveDownAction->isEnabled());
}

void GraphListTest::showHideKeepsItem()
{
    Harness h({ graph("a") });
    h.list.selectRow(0);
    h.list.prepareContextMenu();
    h.list.m_visibleAction->trigger();
    QCOMPARE(h.document.entry(0).visible, 0);
    QCOMPARE(h.list.itemCount(), 1);
    QCOMPARE(h.redraws, 1);
    h.list.prepareContextMenu();
    QVERIFY(!h.list.m_visibleAction->isChecked());
    h.list.m_visibleAction->trigger();
    QCOMPARE(h.document.entry(0).visible, -1);
}

void GraphListTest::emptyNameAfterEditing()
{
    Harness h({ graph("a"), graph("b") });
    // Confirming an in-place edit changes the name only.
    h.list.m_tree->topLevelItem(1)->setText(0, QString());
    QCOMPARE(h.document.entry(1).name, std::string());
    QCOMPARE(h.redraws, 0);
    h.list.rebuild();
    QCOMPARE(h.texts().constLast(), QStringLiteral("名前未設定"));
    QCOMPARE(h.document.entry(1).name, std::string("名前未設定"));
}

void GraphListTest::commandsWithoutSelectionDoNothing()
{
    Harness h({ graph("a"), graph("b") });
    h.list.m_tree->clearSelection();
    h.list.deleteSelected();
    h.list.moveUp();
    h.list.moveDown();
    h.list.toggleVisible();
    h.list.openSelected();
    QCOMPARE(h.list.itemCount(), 2);
    QCOMPARE(h.redraws, 0);
    QVERIFY(h.opened.isEmpty());
}

void GraphListTest::doubleClickOpensSelectedSlot()
{
    Harness h({ graph("a"), graph("b"), graph("c") });
    h.document.markDeleted(0);
    h.list.rebuild();
    h.list.selectRow(1);
    h.list.m_openAction->trigger();
    QCOMPARE(h.opened, QList<int> { 3 });
}

namespace {

// A right click as the window system delivers it: the press, then the pop-up request.
void rightClick(GraphList& list, QPoint at)
{
    QWidget* viewport = list.m_tree->viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    sendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
}

QPoint centreOfRow(GraphList& list, int row)
{
    return list.m_tree->visualItemRect(list.m_tree->topLevelItem(row)).center();
}

} // namespace

void GraphListTest::rightClickSelectsTheItemUnderTheMouse()
{
    // A stored position after a function: the pop-up must be the position's, and its delete
    // must remove the graph that was clicked, not the one selected before.
    Harness h({ graph("a"), graph("here", static_cast<std::int32_t>(GraphKind::Position)) });
    h.list.selectRow(0);
    rightClick(h.list, centreOfRow(h.list, 1));
    QCOMPARE(h.list.selectedSlot(), 2);
    QTRY_VERIFY(h.list.m_contextMenu->isVisible());
    QCOMPARE(h.list.m_openAction->text(), QStringLiteral("移動"));
    QVERIFY(!h.list.m_visibleAction->isEnabled());
    h.list.m_contextMenu->close();

    h.list.m_deleteAction->trigger();
    QCOMPARE(h.texts(), QStringList { QStringLiteral("a") });
    QCOMPARE(h.document.entry(0).deleted, 0);
    QCOMPARE(h.document.entry(1).deleted, -1);

    // Back on the function: its own pop-up again.
    rightClick(h.list, centreOfRow(h.list, 0));
    QCOMPARE(h.list.selectedSlot(), 1);
    QTRY_VERIFY(h.list.m_contextMenu->isVisible());
    QCOMPARE(h.list.m_openAction->text(), QStringLiteral("グラフの設定"));
    QVERIFY(h.list.m_visibleAction->isEnabled());
    h.list.m_contextMenu->close();
}

void GraphListTest::rightClickOnBlankSpaceOpensNothing()
{
    Harness h({ graph("a"), graph("b") });
    h.list.selectRow(1);
    const QPoint below(
        10, h.list.m_tree->visualItemRect(h.list.m_tree->topLevelItem(1)).bottom() + 40);
    QVERIFY(!h.list.m_tree->itemAt(below));
    rightClick(h.list, below);
    QCOMPARE(h.list.selectedSlot(), 2);
    QVERIFY(!h.list.m_contextMenu->isVisible());
}

void GraphListTest::menuKeyOpensThePopupOfTheSelectedItem()
{
    Harness h({ graph("a"), graph("b") });
    h.list.selectRow(1);
    QWidget* viewport = h.list.m_tree->viewport();
    QContextMenuEvent request(
        QContextMenuEvent::Keyboard, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(viewport, &request);
    QCOMPARE(h.list.selectedSlot(), 2);
    QTRY_VERIFY(h.list.m_contextMenu->isVisible());
    h.list.m_contextMenu->close();
}

std::unique_ptr<QObject> makeGraphListTest()
{
    return std::make_unique<GraphListTest>();
}

#include "graph_list_test.moc"
