#include "graph_dialog.h"

#include "calc/error.h"
#include "calc/number_text.h"
#include "conversions.h"
#include "document/document.h"
#include "error_box.h"
#include "platform/dialog_service.h"
#include "up_down_buttons.h"
#include "velquor_application.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace velquor {

// The colour swatch: a lowered panel that opens the colour dialog when clicked.
class SwatchFrame : public QFrame
{
public:
    using QFrame::QFrame;
    std::function<void()> clicked;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && clicked)
            clicked();
    }
};

namespace {

    QFrame* plainPanel(QWidget* parent, const char* name, QRect geometry)
    {
        auto* panel = new QFrame(parent);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setGeometry(geometry);
        panel->setAutoFillBackground(true);
        return panel;
    }

    void setPanelColor(QWidget* panel, const QColor& color)
    {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, color);
        panel->setPalette(palette);
    }

    QFont formulaFont()
    {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(15);
        return font;
    }

    // A label whose right edge ends at the given x.
    QLabel* rightLabel(QWidget* parent, const char* name, int right, int top)
    {
        auto* label = new QLabel(parent);
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(formulaFont());
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        label->setGeometry(0, top, right, 20);
        return label;
    }

    QLineEdit* edit(QWidget* parent, const char* name, QRect geometry, bool frame = true)
    {
        auto* line = new QLineEdit(parent);
        line->setObjectName(QString::fromLatin1(name));
        line->setGeometry(geometry);
        line->setFrame(frame);
        return line;
    }

    QLabel* label(QWidget* parent, const QString& text, int x, int y, const QFont* font = nullptr)
    {
        auto* result = new QLabel(text, parent);
        if (font)
            result->setFont(*font);
        result->move(x, y);
        result->adjustSize();
        return result;
    }

} // namespace

GraphDialog::GraphDialog(Document& document, DialogService& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("GraphDialog"));
    setWindowTitle(QStringLiteral("グラフの設定"));
    setFont(VelquorApplication::interfaceFont());
    setFixedSize(385, 309);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("body"));
    panel->setGeometry(16, 8, 361, 249);
    buildKindBox(panel);
    buildLookBox(panel);
    buildFormulaRows(panel);
    buildRangeRow(panel);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("buttonRule"));
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(16, 264, 353, 2);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setGeometry(214, 274, 75, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, [this] { confirm(); });
    m_cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setGeometry(294, 274, 75, 25);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    m_formulaEdit->setText(QStringLiteral("sin(x)"));
    m_secondFormulaEdit->setText(QStringLiteral("cos(x)"));
    m_rangeFromEdit->setText(QStringLiteral("0"));
    m_rangeToEdit->setText(QStringLiteral("6.28"));
    m_divisionsEdit->setText(QStringLiteral("100"));
    setLineColor(0xffffff);
}

void GraphDialog::buildKindBox(QWidget* panel)
{
    auto* box = new QGroupBox(QStringLiteral("グラフの種類"), panel);
    box->setObjectName(QStringLiteral("kindBox"));
    box->setGeometry(8, 8, 177, 89);
    auto radio = [box](const char* name, const QString& text, int y) {
        auto* button = new QRadioButton(text, box);
        button->setObjectName(QString::fromLatin1(name));
        button->move(16, y);
        button->adjustSize();
        return button;
    };
    m_functionKindButton = radio("functionKindButton", QStringLiteral("関数のグラフ"), 20);
    m_polarKindButton = radio("polarKindButton", QStringLiteral("極形式のグラフ"), 39);
    m_parametricKindButton
        = radio("parametricKindButton", QStringLiteral("パラメータ曲線のグラフ"), 58);
    m_functionKindButton->setChecked(true);
    // The kind switch runs when a button becomes selected, not when it is cleared.
    for (QRadioButton* button : { m_functionKindButton, m_parametricKindButton, m_polarKindButton })
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                kindChanged();
        });
}

void GraphDialog::buildLookBox(QWidget* panel)
{
    auto* box = new QGroupBox(QStringLiteral("表示"), panel);
    box->setObjectName(QStringLiteral("lookBox"));
    box->setGeometry(192, 8, 161, 89);
    label(box, QStringLiteral("太さ"), 17, 22);
    m_lineWidthButtons = new UpDownButtons(1, 5, 1, box);
    m_lineWidthButtons->setObjectName(QStringLiteral("lineWidthButtons"));
    m_lineWidthButtons->setGeometry(56, 18, 25, 18);
    m_lineWidthButtons->clicked = [this](int) { lineWidthChanged(); };
    label(box, QStringLiteral("色"), 17, 47);
    m_colorSwatch = new SwatchFrame(box);
    m_colorSwatch->setObjectName(QStringLiteral("colorSwatch"));
    m_colorSwatch->setGeometry(56, 42, 25, 22);
    m_colorSwatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_colorSwatch->setAutoFillBackground(true);
    m_colorSwatch->setCursor(Qt::PointingHandCursor);
    m_colorSwatch->clicked = [this] { chooseLineColor(); };
    m_sampleBackground = plainPanel(box, "sampleBackground", QRect(88, 16, 65, 49));
    m_sampleLine = plainPanel(m_sampleBackground, "sampleLine", QRect(4, 23, 57, 1));
}

void GraphDialog::buildFormulaRows(QWidget* panel)
{
    m_formulaLabel = rightLabel(panel, "formulaLabel", 112, 112);
    m_formulaEdit = edit(panel, "formulaEdit", QRect(120, 112, 217, 20), false);
    plainPanel(panel, "formulaRule", QRect(32, 136, 313, 2))
        ->setStyleSheet(QStringLiteral("background: black"));
    m_secondFormulaRow = new QFrame(panel);
    m_secondFormulaRow->setObjectName(QStringLiteral("secondFormulaRow"));
    m_secondFormulaRow->setGeometry(0, 144, 353, 73);
    m_secondFormulaLabel = rightLabel(m_secondFormulaRow, "secondFormulaLabel", 112, 9);
    m_secondFormulaEdit
        = edit(m_secondFormulaRow, "secondFormulaEdit", QRect(120, 8, 217, 20), false);
    plainPanel(m_secondFormulaRow, "secondFormulaRule", QRect(32, 32, 313, 2))
        ->setStyleSheet(QStringLiteral("background: black"));
}

void GraphDialog::buildRangeRow(QWidget* panel)
{
    m_rangeRow = new QFrame(panel);
    m_rangeRow->setObjectName(QStringLiteral("rangeRow"));
    m_rangeRow->setGeometry(104, 184, 241, 60);
    auto* check = new QCheckBox(QStringLiteral("範囲を指定"), m_rangeRow);
    check->setObjectName(QStringLiteral("rangeCheck"));
    check->move(6, 8);
    check->adjustSize();
    check->setChecked(true);
    check->setEnabled(false);
    m_rangeFromEdit = edit(m_rangeRow, "rangeFromEdit", QRect(104, 5, 37, 20));
    const QFont font = formulaFont();
    label(m_rangeRow, QStringLiteral("< X <"), 152, 8, &font)
        ->setObjectName(QStringLiteral("rangeLabel"));
    m_rangeToEdit = edit(m_rangeRow, "rangeToEdit", QRect(196, 5, 37, 20));
    label(m_rangeRow, QStringLiteral("分割数"), 80, 43);
    m_divisionsEdit = edit(m_rangeRow, "divisionsEdit", QRect(128, 34, 89, 21));
    auto* arrows = new UpDownButtons(INT32_MIN, INT32_MAX, 0, m_rangeRow);
    arrows->setGeometry(217, 34, 16, 21);
    arrows->clicked = [this](int direction) {
        const std::int64_t next = std::int64_t { divisions() } + direction;
        if (next >= INT32_MIN && next <= INT32_MAX)
            m_divisionsEdit->setText(QString::number(next));
    };
}

std::int32_t GraphDialog::divisions() const
{
    std::int32_t value = 0;
    if (!TryStrToInt(m_divisionsEdit->text().toStdString(), value))
        return 0;
    return value;
}

void GraphDialog::setLineColor(std::int32_t color)
{
    m_lineColor = color;
    setPanelColor(m_colorSwatch, toQColor(color));
}

void GraphDialog::kindChanged()
{
    setPanelColor(m_sampleBackground, toQColor(m_document.settings().backgroundColor));
    setPanelColor(m_sampleLine, toQColor(m_lineColor));
    m_sampleLine->resize(
        57, m_lineWidthButtons->position() > 0 ? m_lineWidthButtons->position() : 1);
    if (m_functionKindButton->isChecked()) {
        m_secondFormulaRow->hide();
        m_rangeRow->hide();
        m_formulaLabel->setText(QStringLiteral("y=f(x) "));
        m_selectedKind = 0;
    } else if (m_parametricKindButton->isChecked()) {
        m_secondFormulaRow->show();
        m_rangeRow->show();
        m_formulaLabel->setText(QStringLiteral("y=f(t) "));
        m_secondFormulaLabel->setText(QStringLiteral("x=f(t) "));
        m_selectedKind = 1;
    } else if (m_polarKindButton->isChecked()) {
        m_secondFormulaRow->hide();
        m_rangeRow->show();
        m_formulaLabel->setText(QStringLiteral("r=f(s) "));
        m_selectedKind = 2;
    }
}

void GraphDialog::lineWidthChanged()
{
    m_sampleLine->resize(57, m_lineWidthButtons->position());
}

void GraphDialog::chooseLineColor()
{
    if (const auto chosen = m_dialogs.chooseColor(m_lineColor))
        setLineColor(*chosen);
    setPanelColor(m_sampleLine, toQColor(m_lineColor));
}

void GraphDialog::confirm()
{
    // The result is set before the range is checked, so a range that is not a number is
    // reported and the dialog still closes as confirmed.
    try {
        if (m_rangeFromEdit->text().isEmpty())
            m_rangeFromEdit->setText(QStringLiteral("0"));
        if (m_rangeToEdit->text().isEmpty())
            m_rangeToEdit->setText(QStringLiteral("6.28"));
        const char point = localeDecimalPoint();
        const Ext from = StrToFloat(m_rangeFromEdit->text().toStdString(), point);
        const Ext to = StrToFloat(m_rangeToEdit->text().toStdString(), point);
        if (to <= from) {
            m_rangeFromEdit->setText(QStringLiteral("0"));
            m_rangeToEdit->setText(QStringLiteral("6.28"));
        }
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
    accept();
}

void GraphDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    VelquorApplication::centreOnScreen(this);
    m_formulaEdit->setFocus();
}

void GraphDialog::selectKind(int kind)
{
    QRadioButton* button = kind == 1 ? m_parametricKindButton
        : kind == 2                  ? m_polarKindButton
                                     : m_functionKindButton;
    button->setChecked(true); // runs the kind switch when the selection changes
}

bool GraphDialog::addGraph()
{
    kindChanged();
    m_formulaEdit->setText(QStringLiteral("sin(x)"));
    m_secondFormulaEdit->setText(QStringLiteral("cos(x)"));
    m_divisionsEdit->setText(QStringLiteral("360"));
    m_rangeFromEdit->setText(QStringLiteral("0"));
    m_rangeToEdit->setText(QStringLiteral("6.28"));
    if (exec() != QDialog::Accepted)
        return false;
    GraphEntry entry;
    entry.kind = m_selectedKind;
    entry.formula1 = m_formulaEdit->text().toStdString();
    entry.formula2 = m_secondFormulaEdit->text().toStdString();
    entry.name = nameForNewGraph(entry.formula1);
    entry.color = m_lineColor;
    entry.width = m_lineWidthButtons->position();
    entry.divisions = divisions();
    entry.rangeFrom = m_rangeFromEdit->text().toStdString();
    entry.rangeTo = m_rangeToEdit->text().toStdString();
    entry.visible = -1;
    m_document.appendEntry(entry);
    return true;
}

bool GraphDialog::editGraph(int slot)
{
    const GraphEntry& old = m_document.entry(slot);
    const bool nameWasFormula = old.name == old.formula1;
    kindChanged();
    m_formulaEdit->setText(toQString(old.formula1));
    m_secondFormulaEdit->setText(toQString(old.formula2));
    m_rangeFromEdit->setText(toQString(old.rangeFrom));
    m_rangeToEdit->setText(toQString(old.rangeTo));
    setLineColor(old.color);
    m_lineWidthButtons->setPosition(old.width);
    m_divisionsEdit->setText(QString::number(old.divisions));
    selectKind(old.kind);
    // The sample shows the entry's colour and width even when the kind did not change.
    kindChanged();
    if (exec() != QDialog::Accepted)
        return false;
    GraphEntry& entry = m_document.entry(slot);
    entry.kind = m_selectedKind;
    const std::string formula1 = m_formulaEdit->text().toStdString();
    entry.name = nameAfterEdit(entry.name, nameWasFormula, formula1);
    entry.formula1 = formula1;
    entry.formula2 = m_secondFormulaEdit->text().toStdString();
    entry.color = m_lineColor;
    entry.width = m_lineWidthButtons->position();
    entry.divisions = divisions();
    entry.rangeFrom = m_rangeFromEdit->text().toStdString();
    entry.rangeTo = m_rangeToEdit->text().toStdString();
    entry.visible = -1;
    return true;
}

} // namespace velquor
