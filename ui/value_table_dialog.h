#pragma once

#include "render/value_table.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace velquor {

class DialogService;
class Document;

// The rows of a value table as a Qt model: as many rows as are computed so far, so that a view
// shows the first rows at once while the rest are computed.
class ValueTableModel final : public QAbstractTableModel
{
public:
    explicit ValueTableModel(QObject* parent = nullptr);

    // The table shown from now on (nothing: empty); its computed rows appear at once.
    void setTable(std::unique_ptr<ValueTable> table, char decimalPoint);
    ValueTable* table() { return m_table.get(); }
    // Computes up to `count` more rows and shows them; false when the table is complete.
    bool computeMore(std::int64_t count);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::unique_ptr<ValueTable> m_table;
    char m_decimalPoint = '.';
};

// "数表": the values of one graph from a start to an end at a step the user types, computed a
// batch at a time while the window stays responsive; copied as tab-separated text or saved as
// CSV. A range it refuses is reported and changes nothing: the texts and the last table stay.
class ValueTableDialog final : public QDialog
{
public:
    // Rows computed per pass of the event loop.
    static constexpr std::int64_t RowsPerBatch = 4000;

    ValueTableDialog(const Document& document, DialogService& dialogs, QWidget* parent = nullptr);

    // Opens for the graph in `slot` (from 0) with the default range: the visible x range of a
    // surface `surfaceWidth` wide (function graphs) or the curve's parameter range, 20 rows.
    void openFor(int slot, int surfaceWidth, char decimalPoint);
    // Reads the three texts and starts computing; a refused range shows the error box.
    void computeTable();
    void copyToClipboard();
    void saveAsCsv();

    ValueTableModel& model() { return *m_model; }
    QLineEdit* startEdit() { return m_startEdit; }
    QLineEdit* endEdit() { return m_endEdit; }
    QLineEdit* stepEdit() { return m_stepEdit; }
    QTableView* view() { return m_view; }
    bool computing() const;

private:
    void computeBatch();
    // Computes the rest at once (for the copy and the file, which hold every row).
    void completeTable();
    void showProgress();
    // Runs an action, showing an error that escapes it in the error box.
    void guarded(const std::function<void()>& action);

    const Document& m_document;
    DialogService& m_dialogs;
    int m_slot = -1;
    char m_decimalPoint = '.';
    QLineEdit* m_startEdit = nullptr;
    QLineEdit* m_endEdit = nullptr;
    QLineEdit* m_stepEdit = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_progress = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    ValueTableModel* m_model = nullptr;
    QTimer* m_batchTimer = nullptr;
};

} // namespace velquor
