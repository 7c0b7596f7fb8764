#include "graph_list.h"

#include "conversions.h"
#include "document/document.h"
#include "pictures.h"

#include <QApplication>
#include <QBasicTimer>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedLayout>
#include <QTreeWidget>

namespace velquor {

namespace {

    // The tree of the list. Qt opens the editor of a "selected click" on a timer of its own
    // that a double click does not stop: the graph dialog the double click opens runs its own
    // event loop, the timer fires inside it, and after "キャンセル" the list is left renaming
    // with the name selected. Here the double click stops the timer, and a rename never
    // starts while a modal dialog is open.
    class GraphTree : public QTreeWidget
    {
    public:
        using QTreeWidget::QTreeWidget;

        void cancelPendingRename() { m_renameTimer.stop(); }

    protected:
        bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
        {
            if (trigger == SelectedClicked) {
                if (!(editTriggers() & SelectedClicked) || !(index.flags() & Qt::ItemIsEditable))
                    return false;
                m_renameIndex = index;
                m_renameTimer.start(QApplication::doubleClickInterval(), this);
                return true;
            }
            if (trigger == DoubleClicked)
                m_renameTimer.stop();
            return QTreeWidget::edit(index, trigger, event);
        }

        void timerEvent(QTimerEvent* event) override
        {
            if (event->timerId() != m_renameTimer.timerId()) {
                QTreeWidget::timerEvent(event);
                return;
            }
            m_renameTimer.stop();
            if (m_renameIndex.isValid() && m_renameIndex == currentIndex()
                && !QApplication::activeModalWidget())
                QTreeWidget::edit(m_renameIndex, AllEditTriggers, nullptr);
        }

    private:
        QBasicTimer m_renameTimer;
        QPersistentModelIndex m_renameIndex;
    };

} // namespace

QImage entryIcon(std::int32_t kind, std::int32_t color)
{
    if (kind == static_cast<std::int32_t>(GraphKind::Position))
        return positionIcon();
    if (kind == static_cast<std::int32_t>(GraphKind::Constants))
        return constantsIcon();
    // A one-pixel black frame around a 12 x 8 swatch; the rest stays unpainted.
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(1, 3), QPoint(14, 12)), Qt::black);
    painter.fillRect(QRect(QPoint(2, 4), QPoint(13, 11)), toQColor(color));
    return image;
}

GraphList::GraphList(Document& document, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
{
    auto* stack = new QStackedLayout(this);
    stack->setStackingMode(QStackedLayout::StackOne);
    m_tree = new GraphTree(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setIndentation(19);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->viewport()->installEventFilter(this);
    m_placeholder = new QLabel(QStringLiteral("グラフを追加してください"), this);
    m_placeholder->setObjectName(QStringLiteral("placeholder"));
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_placeholder->setWordWrap(true);
    stack->addWidget(m_tree);
    stack->addWidget(m_placeholder);
    buildPopup();

    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { openSelected(); });
    connect(m_tree, &QTreeWidget::itemChanged, this,
        [this](QTreeWidgetItem* item) { itemRenamed(item); });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        prepareContextMenu();
        m_contextMenu->popup(m_tree->viewport()->mapToGlobal(at));
    });
}

void GraphList::buildPopup()
{
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("contextMenu"));
    m_openAction = m_contextMenu->addAction(QStringLiteral("グラフの設定"));
    m_contextMenu->setDefaultAction(m_openAction);
    m_visibleAction = m_contextMenu->addAction(QStringLiteral("表示"));
    m_visibleAction->setCheckable(true);
    m_contextMenu->addSeparator();
    m_renameAction = m_contextMenu->addAction(QStringLiteral("名前の変更"));
    m_deleteAction = m_contextMenu->addAction(QStringLiteral("削除"));
    m_contextMenu->addSeparator();
    m_moveUpAction = m_contextMenu->addAction(QStringLiteral("上へ"));
    m_moveDownAction = m_contextMenu->addAction(QStringLiteral("下へ"));
    connect(m_openAction, &QAction::triggered, this, [this] { openSelected(); });
    connect(m_visibleAction, &QAction::triggered, this, [this] { toggleVisible(); });
    connect(m_renameAction, &QAction::triggered, this, [this] { renameSelected(); });
    connect(m_deleteAction, &QAction::triggered, this, [this] { deleteSelected(); });
    // F2 and Delete work in the list itself and are shown in the pop-up.
    m_renameAction->setShortcut(QKeySequence(Qt::Key_F2));
    m_deleteAction->setShortcut(QKeySequence::Delete);
    for (QAction* action : { m_renameAction, m_deleteAction }) {
        action->setShortcutContext(Qt::WidgetShortcut);
        m_tree->addAction(action);
    }
    connect(m_moveUpAction, &QAction::triggered, this, [this] { moveUp(); });
    connect(m_moveDownAction, &QAction::triggered, this, [this] { moveDown(); });
}

bool GraphList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree->viewport())
        return QWidget::eventFilter(watched, event);
    // The right button neither starts editing nor drags a selection; the pop-up request that
    // follows it decides.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true;
    // A right click selects the item under the mouse before the pop-up opens, so that its
    // commands (delete above all) act on the graph that was clicked; on the blank space below
    // the items it opens nothing. The menu key opens the pop-up for the selected item.
    if (event->type() == QEvent::ContextMenu) {
        const auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse) {
            QTreeWidgetItem* item = m_tree->itemAt(request->pos());
            if (!item)
                return true;
            selectItem(item);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GraphList::rebuild()
{
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    m_document.nameUnnamedEntries();
    int count = 0;
    for (int slot = 0; slot < m_document.graphCount(); ++slot) {
        const GraphEntry& entry = m_document.entry(slot);
        if (entry.deleted != 0)
            continue;
        auto* item = new QTreeWidgetItem(m_tree);
        item->setText(0, toQString(entry.name));
        item->setData(0, Qt::UserRole, slot + 1);
        item->setIcon(0, QIcon(QPixmap::fromImage(entryIcon(entry.kind, entry.color))));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        ++count;
    }
    auto* stack = static_cast<QStackedLayout*>(layout());
    stack->setCurrentWidget(count == 0 ? static_cast<QWidget*>(m_placeholder) : m_tree);
}

int GraphList::selectedSlot() const
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return 0;
    return selected.constFirst()->data(0, Qt::UserRole).toInt();
}

void GraphList::selectRow(int row)
{
    selectItem(m_tree->topLevelItem(row));
}

void GraphList::selectSlot(int slot)
{
    QTreeWidgetItem* found = nullptr;
    for (int row = 0; row < m_tree->topLevelItemCount() && slot > 0; ++row) {
        QTreeWidgetItem* item = m_tree->topLevelItem(row);
        if (item->data(0, Qt::UserRole).toInt() == slot)
            found = item;
    }
    selectItem(found);
}

void GraphList::selectItem(QTreeWidgetItem* item)
{
    m_tree->clearSelection();
    if (item) {
        m_tree->setCurrentItem(item);
        item->setSelected(true);
    }
}

int GraphList::itemCount() const
{
    return m_tree->topLevelItemCount();
}

void GraphList::openSelected()
{
    static_cast<GraphTree*>(m_tree)->cancelPendingRename();
    if (const int slot = selectedSlot(); slot > 0 && openEntry)
        openEntry(slot);
}

void GraphList::toggleVisible()
{
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    // Triggering the checkable item has already inverted its mark.
    const bool visible = m_visibleAction->isChecked();
    change(QStringLiteral("表示の切り替え"), [&] {
        m_document.entry(slot - 1).visible = visible ? -1 : 0;
        if (redraw)
            redraw();
    });
}

void GraphList::deleteSelected()
{
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    change(selectedNoun() + QStringLiteral("の削除"), [&] {
        m_document.markDeleted(slot - 1);
        rebuild();
        if (redraw)
            redraw();
    });
}

void GraphList::moveUp()
{
    const int slot = selectedSlot();
    if (slot <= 1)
        return;
    change(selectedNoun() + QStringLiteral("の移動"), [&] {
        m_document.exchangeEntries(slot - 1, slot - 2);
        rebuild();
        if (redraw)
            redraw();
    });
}

void GraphList::moveDown()
{
    // Compared with the number of items, not of slots: with deleted entries before it, an
    // item may not move down although others follow it.
    const int slot = selectedSlot();
    if (slot == 0 || slot >= itemCount())
        return;
    change(selectedNoun() + QStringLiteral("の移動"), [&] {
        m_document.exchangeEntries(slot - 1, slot);
        rebuild();
        if (redraw)
            redraw();
    });
}

void GraphList::renameSelected()
{
    if (QTreeWidgetItem* item = m_tree->currentItem(); item && item->isSelected())
        m_tree->editItem(item);
}

void GraphList::itemRenamed(QTreeWidgetItem* item)
{
    const int slot = item->data(0, Qt::UserRole).toInt();
    if (slot <= 0)
        return;
    const std::string name = item->text(0).toStdString();
    change(QStringLiteral("名前の変更"), [&] { m_document.entry(slot - 1).name = name; });
}

void GraphList::change(const QString& what, const std::function<void()>& change)
{
    if (changeDocument)
        changeDocument(what, change);
    else
        change();
}

QString GraphList::selectedNoun() const
{
    const int slot = selectedSlot();
    const std::int32_t kind = slot > 0 ? m_document.entry(slot - 1).kind : 0;
    if (kind == static_cast<std::int32_t>(GraphKind::Position))
        return QStringLiteral("位置情報");
    if (kind == static_cast<std::int32_t>(GraphKind::Constants))
        return QStringLiteral("定数情報");
    return QStringLiteral("グラフ");
}

void GraphList::prepareContextMenu()
{
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    const GraphEntry& entry = m_document.entry(slot - 1);
    m_visibleAction->setChecked(entry.visible != 0);
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Position)) {
        m_openAction->setText(QStringLiteral("移動"));
        m_visibleAction->setEnabled(false);
    } else if (entry.kind == static_cast<std::int32_t>(GraphKind::Constants)) {
        m_openAction->setText(QStringLiteral("定数の復元"));
        m_visibleAction->setEnabled(false);
    } else {
        m_openAction->setText(QStringLiteral("グラフの設定"));
        m_openAction->setEnabled(true);
        m_visibleAction->setEnabled(true);
    }
}

} // namespace velquor
