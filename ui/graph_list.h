#pragma once

#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace velquor {

class Document;

// The graph list: one item per live entry in slot order, each carrying its slot number
// (from 1), with the placeholder in the same place when there are none. Its commands act on
// the selected item and do nothing without one.
class GraphList : public QWidget
{
    Q_OBJECT
public:
    GraphList(Document& document, QWidget* parent = nullptr);

    void rebuild();
    // The selected item's slot number counted from 1, or 0 when none is selected.
    int selectedSlot() const;
    // Selects the item at a list position (from 0); for tests and keyboard use.
    void selectRow(int row);
    // Selects the item of a slot (from 1); none when 0 or when the slot is not listed.
    void selectSlot(int slot);
    int itemCount() const;

    void openSelected(); // runs openEntry on the selected slot
    void toggleVisible();
    void deleteSelected();
    void moveUp();
    void moveDown();
    void renameSelected(); // opens the name's editor on the selected item
    void prepareContextMenu();

    // Set by the main window: what a double click does with a slot (from 1), and the redraw.
    std::function<void(int slot)> openEntry;
    std::function<void()> redraw;
    // Set by the main window: runs a change of the document as one undo step named what.
    std::function<void(const QString& what, const std::function<void()>& change)> changeDocument;

    QTreeWidget* m_tree = nullptr;
    QLabel* m_placeholder = nullptr;
    QMenu* m_contextMenu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_visibleAction = nullptr;
    QAction* m_renameAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_moveUpAction = nullptr;
    QAction* m_moveDownAction = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPopup();
    void selectItem(QTreeWidgetItem* item); // null: no selection
    void itemRenamed(QTreeWidgetItem* item);
    void change(const QString& what, const std::function<void()>& change);
    // The selected entry's kind in a step's name: "グラフ", "位置情報" or "定数情報".
    QString selectedNoun() const;
    Document& m_document;
};

// The 16 x 16 icon of an entry: the fixed pictures of stored items, else the colour swatch.
QImage entryIcon(std::int32_t kind, std::int32_t color);

} // namespace velquor
