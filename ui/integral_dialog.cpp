#include "ui/integral_dialog.h"

#include "calc/error.h"
#include "calc/number_text.h"
#include "conversions.h"
#include "document/document.h"
#include "error_box.h"
#include "platform/dialog_service.h"
#include "render/graph_integral.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

namespace velquor {
namespace {

    // "value (誤差 error)" in the 15-digit number format, or the reason it has none.
    QString resultText(const IntegralResult& result, char decimalPoint)
    {
        if (result.problem != IntegralProblem::None)
            return toQString(IntegralProblemText(result, decimalPoint));
        return toQString(FormatNumber(result.value, decimalPoint)) + QStringLiteral("  (誤差 ±")
            + toQString(FormatNumber(result.error, decimalPoint)) + QStringLiteral(")");
    }

} // namespace

IntegralDialog::IntegralDialog(const Document& document, DialogService& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("IntegralDialog"));
    setWindowTitle(QStringLiteral("積分"));
    resize(460, 220);
    m_startEdit = new QLineEdit(this);
    m_endEdit = new QLineEdit(this);
    m_otherBox = new QComboBox(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("始点"), m_startEdit);
    form->addRow(QStringLiteral("終点"), m_endEdit);
    form->addRow(QStringLiteral("面積の相手"), m_otherBox);
    auto* computeButton = new QPushButton(QStringLiteral("計算(&M)"), this);
    computeButton->setDefault(true);
    connect(computeButton, &QPushButton::clicked, this, [this] { compute(); });
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(computeButton, 0, Qt::AlignBottom);

    m_integralLabel = new QLabel(this);
    m_areaLabel = new QLabel(this);
    for (QLabel* label : { m_integralLabel, m_areaLabel }) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_integralLabel);
    column->addWidget(m_areaLabel);
    column->addStretch(1);
    column->addWidget(closeButton, 0, Qt::AlignRight);
}

void IntegralDialog::fillOtherCurves()
{
    m_otherBox->clear();
    m_otherBox->addItem(QStringLiteral("x 軸"), XAxis);
    for (int slot = 0; slot < m_document.graphCount(); ++slot) {
        const GraphEntry& entry = m_document.entry(slot);
        if (slot == m_slot || entry.visible == 0 || entry.deleted != 0
            || entry.kind != static_cast<std::int32_t>(GraphKind::Function))
            continue;
        m_otherBox->addItem(toQString(entry.name), slot);
    }
}

void IntegralDialog::openFor(int slot, Ext from, Ext to, int surfaceHeight, char decimalPoint)
{
    m_slot = slot;
    m_surfaceHeight = surfaceHeight;
    m_decimalPoint = decimalPoint;
    setWindowTitle(QStringLiteral("積分 - ") + toQString(m_document.entry(slot).name));
    m_startEdit->setText(toQString(FormatNumber(from, decimalPoint)));
    m_endEdit->setText(toQString(FormatNumber(to, decimalPoint)));
    fillOtherCurves();
    compute();
}

void IntegralDialog::compute()
{
    if (m_slot < 0)
        return;
    try {
        const Ext from = StrToFloat(toStdString(m_startEdit->text()), m_decimalPoint);
        const Ext to = StrToFloat(toStdString(m_endEdit->text()), m_decimalPoint);
        const int other = m_otherBox->currentData().toInt();
        const GraphIntegral result = IntegrateFunctionGraph(
            m_document, m_slot, other, from, to, m_surfaceHeight, m_decimalPoint);
        const QString name = toQString(m_document.entry(m_slot).name);
        m_integralLabel->setText(
            QStringLiteral("積分 = ") + resultText(result.integral, m_decimalPoint));
        m_areaLabel->setText(
            QStringLiteral("%1 と %2 の間の面積 = ").arg(name, m_otherBox->currentText())
            + resultText(result.area, m_decimalPoint));
        Shading shading;
        shading.shaded = result.area.problem == IntegralProblem::None;
        shading.slot = m_slot;
        shading.other = other;
        shading.from = from;
        shading.to = to;
        setShading(shading);
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    } catch (const std::invalid_argument&) { // the graph was deleted or changed its kind
        m_dialogs.showError(errorBoxText(toQString(std::string(IntegralNeedsFunctionMessage))));
        setShading({});
    }
}

void IntegralDialog::setShading(const Shading& shading)
{
    m_shading = shading;
    if (shadingChanged)
        shadingChanged();
}

void IntegralDialog::hideEvent(QHideEvent* event)
{
    setShading({});
    QDialog::hideEvent(event);
}

} // namespace velquor
