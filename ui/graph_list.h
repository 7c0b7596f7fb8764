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
    int itemCount() const;

    void TreeView1DblClick(); // runs openEntry on the selected slot
    void Show1Click();
    void Delete1Click();
    void N18Click(); // up
    void N19Click(); // down
    void PopupMenu1Popup();

    // Set by the main window: what a double click does with a slot (from 1), and the redraw.
    std::function<void(int slot)> openEntry;
    std::function<void()> redraw;

    QTreeWidget* TreeView1 = nullptr;
    QLabel* Panel10 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Show1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* N18 = nullptr;
    QAction* N19 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPopup();
    void TreeView1Edited(QTreeWidgetItem* item);
    Document& m_document;
};

// The 16 x 16 icon of an entry: the fixed pictures of stored items, else the colour swatch.
QImage entryIcon(std::int32_t kind, std::int32_t color);

} // namespace velquor
