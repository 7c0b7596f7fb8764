#include "ui/analysis_dialog.h"

#include "calc/analysis_work.h"
#include "calc/number_text.h"
#include "conversions.h"
#include "document/document.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace velquor {
namespace {

    QString kindText(FeatureKind kind)
    {
        switch (kind) {
        case FeatureKind::Root:
            return QStringLiteral("零点");
        case FeatureKind::Minimum:
            return QStringLiteral("極小");
        case FeatureKind::Maximum:
            return QStringLiteral("極大");
        case FeatureKind::Intersection:
            break;
        }
        return QStringLiteral("交点");
    }

    QTableWidgetItem* cell(const QString& text, bool number)
    {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (number)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return item;
    }

} // namespace

AnalysisDialog::AnalysisDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AnalysisDialog"));
    setWindowTitle(QStringLiteral("解析"));
    resize(520, 360);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({ QStringLiteral("種類"), QStringLiteral("x"),
        QStringLiteral("y"), QStringLiteral("相手のグラフ") });
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (pointChosen && row >= 0 && row < static_cast<int>(m_xs.size()))
            pointChosen(m_xs[static_cast<std::size_t>(row)]);
    });
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_summary);
    column->addWidget(m_table, 1);
    column->addWidget(closeButton, 0, Qt::AlignRight);
}

void AnalysisDialog::showFeatures(const Document& document, int slot,
    const std::vector<GraphFeature>& features, Ext from, Ext to, char decimalPoint, bool cutShort)
{
    const QString name = toQString(document.entry(slot).name);
    setWindowTitle(QStringLiteral("解析 - ") + name);
    QString summary = QStringLiteral("表示範囲 x = %1 ～ %2")
                          .arg(toQString(FormatNumber(from, decimalPoint)),
                              toQString(FormatNumber(to, decimalPoint)));
    if (features.empty())
        summary += QStringLiteral("：零点・極値・交点は見つかりませんでした");
    else
        summary += QStringLiteral("：行をダブルクリックするとトレースの点がそこへ移ります");
    if (cutShort)
        summary += QStringLiteral("\n") + toQString(std::string(AnalysisCutShortMessage));
    m_summary->setText(summary);

    m_xs.clear();
    m_table->clearContents();
    m_table->setRowCount(static_cast<int>(features.size()));
    int row = 0;
    for (const GraphFeature& feature : features) {
        m_xs.push_back(feature.x);
        m_table->setItem(row, 0, cell(kindText(feature.kind), false));
        m_table->setItem(row, 1, cell(toQString(FormatNumber(feature.x, decimalPoint)), true));
        m_table->setItem(row, 2, cell(toQString(FormatNumber(feature.y, decimalPoint)), true));
        const QString other = feature.otherSlot >= 0
            ? toQString(document.entry(feature.otherSlot).name)
            : QString();
        m_table->setItem(row, 3, cell(other, false));
        ++row;
    }
}

} // namespace velquor
