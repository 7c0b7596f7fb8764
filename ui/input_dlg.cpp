#include "input_dlg.h"

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

TInputDlg::TInputDlg(Document& document, DialogService& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("InputDlg"));
    setWindowTitle(QStringLiteral("グラフの設定"));
    setFont(VelquorApplication::interfaceFont());
    setFixedSize(385, 309);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(16, 8, 361, 249);
    buildKindBox(panel);
    buildLookBox(panel);
    buildFormulaRows(panel);
    buildRangeRow(panel);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(16, 264, 353, 2);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(214, 274, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    CancelBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(294, 274, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    Edit1->setText(QStringLiteral("sin(x)"));
    Edit2->setText(QStringLiteral("cos(x)"));
    Edit3->setText(QStringLiteral("0"));
    Edit4->setText(QStringLiteral("6.28"));
    SpinEdit1->setText(QStringLiteral("100"));
    setLineColor(0xffffff);
}

void TInputDlg::buildKindBox(QWidget* panel)
{
    auto* box = new QGroupBox(QStringLiteral("グラフの種類"), panel);
    box->setObjectName(QStringLiteral("GroupBox1"));
    box->setGeometry(8, 8, 177, 89);
    auto radio = [box](const char* name, const QString& text, int y) {
        auto* button = new QRadioButton(text, box);
        button->setObjectName(QString::fromLatin1(name));
        button->move(16, y);
        button->adjustSize();
        return button;
    };
    RadioButton1 = radio("RadioButton1", QStringLiteral("関数のグラフ"), 20);
    RadioButton3 = radio("RadioButton3", QStringLiteral("極形式のグラフ"), 39);
    RadioButton2 = radio("RadioButton2", QStringLiteral("パラメータ曲線のグラフ"), 58);
    RadioButton1->setChecked(true);
    // The kind switch runs when a button becomes selected, not when it is cleared.
    for (QRadioButton* button : { RadioButton1, RadioButton2, RadioButton3 })
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Button1Click();
        });
}

void TInputDlg::buildLookBox(QWidget* panel)
{
    auto* box = new QGroupBox(QStringLiteral("表示"), panel);
    box->setObjectName(QStringLiteral("GroupBox2"));
    box->setGeometry(192, 8, 161, 89);
    label(box, QStringLiteral("太さ"), 17, 22);
    UpDown1 = new UpDownButtons(1, 5, 1, box);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(56, 18, 25, 18);
    UpDown1->clicked = [this](int) { UpDown1Click(); };
    label(box, QStringLiteral("色"), 17, 47);
    Panel8 = new SwatchFrame(box);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->setGeometry(56, 42, 25, 22);
    Panel8->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel8->setAutoFillBackground(true);
    Panel8->setCursor(Qt::PointingHandCursor);
    Panel8->clicked = [this] { Panel8Click(); };
    Panel4 = plainPanel(box, "Panel4", QRect(88, 16, 65, 49));
    Panel5 = plainPanel(Panel4, "Panel5", QRect(4, 23, 57, 1));
}

void TInputDlg::buildFormulaRows(QWidget* panel)
{
    Label1 = rightLabel(panel, "Label1", 112, 112);
    Edit1 = edit(panel, "Edit1", QRect(120, 112, 217, 20), false);
    plainPanel(panel, "Panel2", QRect(32, 136, 313, 2))
        ->setStyleSheet(QStringLiteral("background: black"));
    Panel6 = new QFrame(panel);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setGeometry(0, 144, 353, 73);
    Label2 = rightLabel(Panel6, "Label2", 112, 9);
    Edit2 = edit(Panel6, "Edit2", QRect(120, 8, 217, 20), false);
    plainPanel(Panel6, "Panel3", QRect(32, 32, 313, 2))
        ->setStyleSheet(QStringLiteral("background: black"));
}

void TInputDlg::buildRangeRow(QWidget* panel)
{
    Panel7 = new QFrame(panel);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Panel7->setGeometry(104, 184, 241, 60);
    auto* check = new QCheckBox(QStringLiteral("範囲を指定"), Panel7);
    check->setObjectName(QStringLiteral("CheckBox1"));
    check->move(6, 8);
    check->adjustSize();
    check->setChecked(true);
    check->setEnabled(false);
    Edit3 = edit(Panel7, "Edit3", QRect(104, 5, 37, 20));
    const QFont font = formulaFont();
    label(Panel7, QStringLiteral("< X <"), 152, 8, &font)->setObjectName(QStringLiteral("Label7"));
    Edit4 = edit(Panel7, "Edit4", QRect(196, 5, 37, 20));
    label(Panel7, QStringLiteral("分割数"), 80, 43);
    SpinEdit1 = edit(Panel7, "SpinEdit1", QRect(128, 34, 89, 21));
    auto* arrows = new UpDownButtons(INT32_MIN, INT32_MAX, 0, Panel7);
    arrows->setGeometry(217, 34, 16, 21);
    arrows->clicked = [this](int direction) {
        const std::int64_t next = std::int64_t { divisions() } + direction;
        if (next >= INT32_MIN && next <= INT32_MAX)
            SpinEdit1->setText(QString::number(next));
    };
}

std::int32_t TInputDlg::divisions() const
{
    std::int32_t value = 0;
    if (!TryStrToInt(SpinEdit1->text().toStdString(), value))
        return 0;
    return value;
}

void TInputDlg::setLineColor(std::int32_t color)
{
    m_lineColor = color;
    setPanelColor(Panel8, toQColor(color));
}

void TInputDlg::Button1Click()
{
    setPanelColor(Panel4, toQColor(m_document.settings().backgroundColor));
    setPanelColor(Panel5, toQColor(m_lineColor));
    Panel5->resize(57, UpDown1->position() > 0 ? UpDown1->position() : 1);
    if (RadioButton1->isChecked()) {
        Panel6->hide();
        Panel7->hide();
        Label1->setText(QStringLiteral("y=f(x) "));
        m_selectedKind = 0;
    } else if (RadioButton2->isChecked()) {
        Panel6->show();
        Panel7->show();
        Label1->setText(QStringLiteral("y=f(t) "));
        Label2->setText(QStringLiteral("x=f(t) "));
        m_selectedKind = 1;
    } else if (RadioButton3->isChecked()) {
        Panel6->hide();
        Panel7->show();
        Label1->setText(QStringLiteral("r=f(s) "));
        m_selectedKind = 2;
    }
}

void TInputDlg::UpDown1Click()
{
    Panel5->resize(57, UpDown1->position());
}

void TInputDlg::Panel8Click()
{
    if (const auto chosen = m_dialogs.chooseColor(m_lineColor))
        setLineColor(*chosen);
    setPanelColor(Panel5, toQColor(m_lineColor));
}

void TInputDlg::OKBtnClick()
{
    // The result is set before the range is checked, so a range that is not a number is
    // reported and the dialog still closes as confirmed.
    try {
        if (Edit3->text().isEmpty())
            Edit3->setText(QStringLiteral("0"));
        if (Edit4->text().isEmpty())
            Edit4->setText(QStringLiteral("6.28"));
        const char point = localeDecimalPoint();
        const Ext from = StrToFloat(Edit3->text().toStdString(), point);
        const Ext to = StrToFloat(Edit4->text().toStdString(), point);
        if (to <= from) {
            Edit3->setText(QStringLiteral("0"));
            Edit4->setText(QStringLiteral("6.28"));
        }
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
    }
    accept();
}

void TInputDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    VelquorApplication::centreOnScreen(this);
    Edit1->setFocus();
}

void TInputDlg::selectKind(int kind)
{
    QRadioButton* button = kind == 1 ? RadioButton2 : kind == 2 ? RadioButton3 : RadioButton1;
    button->setChecked(true); // runs the kind switch when the selection changes
}

bool TInputDlg::addGraph()
{
    Button1Click();
    Edit1->setText(QStringLiteral("sin(x)"));
    Edit2->setText(QStringLiteral("cos(x)"));
    SpinEdit1->setText(QStringLiteral("360"));
    Edit3->setText(QStringLiteral("0"));
    Edit4->setText(QStringLiteral("6.28"));
    if (exec() != QDialog::Accepted)
        return false;
    GraphEntry entry;
    entry.kind = m_selectedKind;
    entry.formula1 = Edit1->text().toStdString();
    entry.formula2 = Edit2->text().toStdString();
    entry.name = nameForNewGraph(entry.formula1);
    entry.color = m_lineColor;
    entry.width = UpDown1->position();
    entry.divisions = divisions();
    entry.rangeFrom = Edit3->text().toStdString();
    entry.rangeTo = Edit4->text().toStdString();
    entry.visible = -1;
    m_document.appendEntry(entry);
    return true;
}

bool TInputDlg::editGraph(int slot)
{
    const GraphEntry& old = m_document.entry(slot);
    const bool nameWasFormula = old.name == old.formula1;
    Button1Click();
    Edit1->setText(toQString(old.formula1));
    Edit2->setText(toQString(old.formula2));
    Edit3->setText(toQString(old.rangeFrom));
    Edit4->setText(toQString(old.rangeTo));
    setLineColor(old.color);
    UpDown1->setPosition(old.width);
    SpinEdit1->setText(QString::number(old.divisions));
    selectKind(old.kind);
    // The sample shows the entry's colour and width even when the kind did not change.
    Button1Click();
    if (exec() != QDialog::Accepted)
        return false;
    GraphEntry& entry = m_document.entry(slot);
    entry.kind = m_selectedKind;
    const std::string formula1 = Edit1->text().toStdString();
    entry.name = nameAfterEdit(entry.name, nameWasFormula, formula1);
    entry.formula1 = formula1;
    entry.formula2 = Edit2->text().toStdString();
    entry.color = m_lineColor;
    entry.width = UpDown1->position();
    entry.divisions = divisions();
    entry.rangeFrom = Edit3->text().toStdString();
    entry.rangeTo = Edit4->text().toStdString();
    entry.visible = -1;
    return true;
}

} // namespace velquor
