#include "ui/value_table_dialog.h"

#include "calc/error.h"
#include "conversions.h"
#include "document/atomic_file.h"
#include "document/document.h"
#include "error_box.h"
#include "platform/dialog_service.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace velquor {

ValueTableModel::ValueTableModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void ValueTableModel::setTable(std::unique_ptr<ValueTable> table, char decimalPoint)
{
    beginResetModel();
    m_table = std::move(table);
    m_decimalPoint = decimalPoint;
    endResetModel();
}

bool ValueTableModel::computeMore(std::int64_t count)
{
    if (!m_table || m_table->complete())
        return false;
    const auto first = static_cast<int>(m_table->computedRows());
    const std::int64_t added = m_table->computeMore(count);
    if (added <= 0)
        return !m_table->complete();
    beginInsertRows({}, first, first + static_cast<int>(added) - 1);
    endInsertRows();
    return !m_table->complete();
}

int ValueTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table ? 0 : static_cast<int>(m_table->computedRows());
}

int ValueTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table ? 0 : m_table->columnCount();
}

QVariant ValueTableModel::data(const QModelIndex& index, int role) const
{
    if (!m_table || !index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    return toQString(m_table->cell(index.row(), index.column(), m_decimalPoint));
}

QVariant ValueTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_table || section < 0 || section >= m_table->columnCount())
        return {};
    return toQString(m_table->headers()[static_cast<std::size_t>(section)]);
}

ValueTableDialog::ValueTableDialog(
    const Document& document, DialogService& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("ValueTableDialog"));
    setWindowTitle(QStringLiteral("数表"));
    resize(420, 480);

    auto* range = new QFormLayout;
    m_startEdit = new QLineEdit(this);
    m_endEdit = new QLineEdit(this);
    m_stepEdit = new QLineEdit(this);
    range->addRow(QStringLiteral("開始"), m_startEdit);
    range->addRow(QStringLiteral("終了"), m_endEdit);
    range->addRow(QStringLiteral("刻み幅"), m_stepEdit);
    auto* computeButton = new QPushButton(QStringLiteral("作成(&M)"), this);
    computeButton->setDefault(true);
    connect(computeButton, &QPushButton::clicked, this, [this] { computeTable(); });
    auto* top = new QHBoxLayout;
    top->addLayout(range, 1);
    top->addWidget(computeButton, 0, Qt::AlignBottom);

    m_model = new ValueTableModel(this);
    m_view = new QTableView(this);
    m_view->setModel(m_model);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_progress = new QLabel(this);
    m_progress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // texts vary

    m_copyButton = new QPushButton(QStringLiteral("コピー(&C)"), this);
    m_saveButton = new QPushButton(QStringLiteral("CSV保存(&S)..."), this);
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    connect(m_copyButton, &QPushButton::clicked, this,
        [this] { guarded([this] { copyToClipboard(); }); });
    connect(
        m_saveButton, &QPushButton::clicked, this, [this] { guarded([this] { saveAsCsv(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_copyButton);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(closeButton);

    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_view, 1);
    column->addLayout(buttons);

    m_batchTimer = new QTimer(this);
    m_batchTimer->setInterval(0);
    connect(m_batchTimer, &QTimer::timeout, this, [this] { computeBatch(); });
}

void ValueTableDialog::guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
}

void ValueTableDialog::openFor(int slot, int surfaceWidth, char decimalPoint)
{
    m_slot = slot;
    m_decimalPoint = decimalPoint;
    const GraphEntry& entry = m_document.entry(slot);
    setWindowTitle(QStringLiteral("数表 - ") + toQString(entry.name));
    const ValueTableTexts texts
        = DefaultValueTableTexts(m_document, entry, surfaceWidth, decimalPoint);
    m_startEdit->setText(toQString(texts.start));
    m_endEdit->setText(toQString(texts.end));
    m_stepEdit->setText(toQString(texts.step));
    m_batchTimer->stop();
    m_model->setTable(nullptr, decimalPoint);
    computeTable();
}

bool ValueTableDialog::computing() const
{
    return m_batchTimer->isActive();
}

void ValueTableDialog::computeTable()
{
    if (m_slot < 0)
        return;
    guarded([this] {
        const ValueTableRange range = ReadValueTableRange(toStdString(m_startEdit->text()),
            toStdString(m_endEdit->text()), toStdString(m_stepEdit->text()), m_decimalPoint);
        m_model->setTable(std::make_unique<ValueTable>(m_document, m_document.entry(m_slot), range),
            m_decimalPoint);
        computeBatch();
    });
}

void ValueTableDialog::computeBatch()
{
    const bool more = m_model->computeMore(RowsPerBatch);
    if (more)
        m_batchTimer->start();
    else
        m_batchTimer->stop();
    showProgress();
}

void ValueTableDialog::showProgress()
{
    const ValueTable* table = m_model->table();
    if (!table) {
        m_progress->clear();
        return;
    }
    const QString rows = QString::number(table->rowCount());
    m_progress->setText(table->complete() ? rows + QStringLiteral(" 行")
                                          : QString::number(table->computedRows())
                + QStringLiteral(" / ") + rows + QStringLiteral(" 行 計算中"));
}

void ValueTableDialog::completeTable()
{
    while (m_model->computeMore(MaxValueTableRows)) { }
    m_batchTimer->stop();
    showProgress();
}

void ValueTableDialog::copyToClipboard()
{
    ValueTable* table = m_model->table();
    if (!table)
        return;
    completeTable();
    QGuiApplication::clipboard()->setText(toQString(table->tabSeparatedText(m_decimalPoint)));
}

void ValueTableDialog::saveAsCsv()
{
    ValueTable* table = m_model->table();
    if (!table)
        return;
    completeTable();
    const auto path
        = m_dialogs.saveFileName(QStringLiteral("CSV ファイル (*.csv);;すべてのファイル (*)"),
            QStringLiteral("csv"), {}, true);
    if (!path)
        return;
    writeFileAtomically(path->toStdString(), table->csvText());
}

} // namespace velquor
