#include "graph_list.h"

#include "conversions.h"
#include "document/document.h"
#include "pictures.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedLayout>
#include <QTreeWidget>

namespace velquor {

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
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setIndentation(19);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setEditTriggers(
        QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView1->viewport()->installEventFilter(this);
    Panel10 = new QLabel(QStringLiteral("グラフを追加してください"), this);
    Panel10->setObjectName(QStringLiteral("Panel10"));
    Panel10->setAlignment(Qt::AlignCenter);
    Panel10->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel10->setWordWrap(true);
    stack->addWidget(TreeView1);
    stack->addWidget(Panel10);
    buildPopup();

    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { TreeView1DblClick(); });
    connect(TreeView1, &QTreeWidget::itemChanged, this,
        [this](QTreeWidgetItem* item) { TreeView1Edited(item); });
    connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1Popup();
        PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(at));
    });
}

void GraphList::buildPopup()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("グラフの設定"));
    PopupMenu1->setDefaultAction(N1);
    Show1 = PopupMenu1->addAction(QStringLiteral("表示"));
    Show1->setCheckable(true);
    PopupMenu1->addSeparator();
    Delete1 = PopupMenu1->addAction(QStringLiteral("削除"));
    PopupMenu1->addSeparator();
    N18 = PopupMenu1->addAction(QStringLiteral("上へ"));
    N19 = PopupMenu1->addAction(QStringLiteral("下へ"));
    connect(N1, &QAction::triggered, this, [this] { TreeView1DblClick(); });
    connect(Show1, &QAction::triggered, this, [this] { Show1Click(); });
    connect(Delete1, &QAction::triggered, this, [this] { Delete1Click(); });
    connect(N18, &QAction::triggered, this, [this] { N18Click(); });
    connect(N19, &QAction::triggered, this, [this] { N19Click(); });
}

bool GraphList::eventFilter(QObject* watched, QEvent* event)
{
    // A right click opens the pop-up without changing the selection.
    if (watched == TreeView1->viewport()
        && (event->type() == QEvent::MouseButtonPress
            || event->type() == QEvent::MouseButtonDblClick)
        && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true;
    return QWidget::eventFilter(watched, event);
}

void GraphList::rebuild()
{
    const QSignalBlocker blocker(TreeView1);
    TreeView1->clear();
    m_document.nameUnnamedEntries();
    int count = 0;
    for (int slot = 0; slot < m_document.graphCount(); ++slot) {
        const GraphEntry& entry = m_document.entry(slot);
        if (entry.deleted != 0)
            continue;
        auto* item = new QTreeWidgetItem(TreeView1);
        item->setText(0, toQString(entry.name));
        item->setData(0, Qt::UserRole, slot + 1);
        item->setIcon(0, QIcon(QPixmap::fromImage(entryIcon(entry.kind, entry.color))));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        ++count;
    }
    auto* stack = static_cast<QStackedLayout*>(layout());
    stack->setCurrentWidget(count == 0 ? static_cast<QWidget*>(Panel10) : TreeView1);
}

int GraphList::selectedSlot() const
{
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        return 0;
    return selected.constFirst()->data(0, Qt::UserRole).toInt();
}

void GraphList::selectRow(int row)
{
    TreeView1->clearSelection();
    if (QTreeWidgetItem* item = TreeView1->topLevelItem(row)) {
        TreeView1->setCurrentItem(item);
        item->setSelected(true);
    }
}

int GraphList::itemCount() const
{
    return TreeView1->topLevelItemCount();
}

void GraphList::TreeView1DblClick()
{
    if (const int slot = selectedSlot(); slot > 0 && openEntry)
        openEntry(slot);
}

void GraphList::Show1Click()
{
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    // Triggering the checkable item has already inverted its mark.
    m_document.entry(slot - 1).visible = Show1->isChecked() ? -1 : 0;
    if (redraw)
        redraw();
}

void GraphList::Delete1Click()
{
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    m_document.markDeleted(slot - 1);
    rebuild();
    if (redraw)
        redraw();
}

void GraphList::N18Click()
{
    const int slot = selectedSlot();
    if (slot <= 1)
        return;
    m_document.exchangeEntries(slot - 1, slot - 2);
    rebuild();
    if (redraw)
        redraw();
}

void GraphList::N19Click()
{
    // Compared with the number of items, not of slots: with deleted entries before it, an
    // item may not move down although others follow it.
    const int slot = selectedSlot();
    if (slot == 0 || slot >= itemCount())
        return;
    m_document.exchangeEntries(slot - 1, slot);
    rebuild();
    if (redraw)
        redraw();
}

void GraphList::TreeView1Edited(QTreeWidgetItem* item)
{
    const int slot = item->data(0, Qt::UserRole).toInt();
    if (slot > 0)
        m_document.entry(slot - 1).name = item->text(0).toStdString();
}

void GraphList::PopupMenu1Popup()
{
    const int slot = selectedSlot();
    if (slot == 0)
        return;
    const GraphEntry& entry = m_document.entry(slot - 1);
    Show1->setChecked(entry.visible != 0);
    if (entry.kind == static_cast<std::int32_t>(GraphKind::Position)) {
        N1->setText(QStringLiteral("移動"));
        Show1->setEnabled(false);
    } else if (entry.kind == static_cast<std::int32_t>(GraphKind::Constants)) {
        N1->setText(QStringLiteral("定数の復元"));
        Show1->setEnabled(false);
    } else {
        N1->setText(QStringLiteral("グラフの設定"));
        N1->setEnabled(true);
        Show1->setEnabled(true);
    }
}

} // namespace velquor
