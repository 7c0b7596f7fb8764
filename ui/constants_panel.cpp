#include "ui/constants_panel.h"

#include "calc/error.h"
#include "calc/ext.h"
#include "calc/number_text.h"
#include "platform/dialog_service.h"
#include "ui/conversions.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <cmath>
#include <qdrawutil.h>
#include <string_view>

namespace velquor {

namespace {

    constexpr std::string_view OverflowMessage = "浮動小数点演算でオーバーフローしました";
    constexpr int RepeatDelayMs = 400;
    constexpr int RepeatIntervalMs = 80;

    const std::string& constantText(const DocumentSettings& settings, Setting which)
    {
        switch (which) {
        case Setting::ValA:
            return settings.valA;
        case Setting::ValB:
            return settings.valB;
        case Setting::AInterval:
            return settings.aInterval;
        default:
            return settings.bInterval;
        }
    }

    // The 9 x 8 picture of the step buttons: a small ruler, for "the size of one step".
    QPixmap stepPicture()
    {
        QPixmap picture(9, 8);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setPen(Qt::black);
        painter.drawLine(0, 6, 8, 6);
        for (int x = 0; x <= 8; x += 2)
            painter.drawLine(x, x % 4 == 0 ? 1 : 3, x, 6);
        return picture;
    }

} // namespace

// --- UpDownControl ---

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

bool UpDownControl::press(UpDownButton button)
{
    const int delta = button == UpDownButton::Up ? 1 : -1;
    const int next = m_position + delta;
    if (next > Limit || next < -Limit)
        return false;
    m_position = static_cast<std::int16_t>(next);
    emit clicked(button);
    return true;
}

void UpDownControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2]
        = { QRect(0, 0, width(), half), QRect(0, half, width(), height() - half) };
    for (int i = 0; i < 2; ++i) {
        const UpDownButton button = i == 0 ? UpDownButton::Up : UpDownButton::Down;
        const bool sunken = m_held && m_heldButton == button;
        qDrawWinButton(&painter, halves[i], palette(), sunken);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[i].adjusted(3, 2, -3, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
            &arrow, &painter, this);
    }
}

void UpDownControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_held = true;
    m_heldButton = event->position().y() < height() / 2 ? UpDownButton::Up : UpDownButton::Down;
    update();
    runHandler(this, [this] { pressHeld(); });
}

void UpDownControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_held = false;
    m_repeat.stop();
    update();
}

void UpDownControl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_repeat.timerId())
        return QWidget::timerEvent(event);
    runHandler(this, [this] { pressHeld(); });
}

// The repeat is stopped while a press runs: when the handler throws, the error box takes the
// mouse, the release never arrives here, and a running repeat would open box after box.
void UpDownControl::pressHeld()
{
    const bool first = !m_repeat.isActive();
    m_repeat.stop();
    try {
        press(m_heldButton);
    } catch (...) {
        m_held = false;
        update();
        throw;
    }
    if (m_held)
        m_repeat.start(first ? RepeatDelayMs : RepeatIntervalMs, this);
}

// --- ConstantsPanel ---

ConstantsPanel::ConstantsPanel(Document& document, DialogService& dialogs, QWidget* parent)
    : QFrame(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("constantsPanel"));
    // 152 x 64 as designed; the width follows the left panel when the splitter moves it.
    resize(152, 64);
    setMinimumHeight(64);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    buildRow(0, QStringLiteral("  aの値 "), m_aEdit, 39, m_aUpDown, m_aStepButton);
    buildRow(1, QStringLiteral("  bの値 "), m_bEdit, 40, m_bUpDown, m_bStepButton);
    m_aEdit->setObjectName(QStringLiteral("aEdit"));
    m_bEdit->setObjectName(QStringLiteral("bEdit"));
    m_aUpDown->setObjectName(QStringLiteral("aUpDown"));
    m_bUpDown->setObjectName(QStringLiteral("bUpDown"));

    connect(m_aEdit, &QLineEdit::textEdited, this,
        [this](const QString& text) { runHandler(this, [&] { aEdited(text); }); });
    connect(m_bEdit, &QLineEdit::textEdited, this,
        [this](const QString& text) { runHandler(this, [&] { bEdited(text); }); });
    connect(m_aUpDown, &UpDownControl::clicked, this, &ConstantsPanel::stepA);
    connect(m_bUpDown, &UpDownControl::clicked, this, &ConstantsPanel::stepB);
    connect(m_aStepButton, &QToolButton::clicked, this,
        [this] { runHandler(this, [this] { askStepA(); }); });
    connect(m_bStepButton, &QToolButton::clicked, this,
        [this] { runHandler(this, [this] { askStepB(); }); });
    syncFromDocument(Setting::ValA);
    syncFromDocument(Setting::ValB);
}

void ConstantsPanel::buildRow(int row, const QString& label, QLineEdit*& edit, int editWidth,
    UpDownControl*& upDown, QToolButton*& stepButton)
{
    const int labelTop[2] = { 15, 43 };
    const int editTop[2] = { 8, 37 };
    const int buttonTop[2] = { 6, 35 };

    auto* caption = new QLabel(label, this);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    caption->setGeometry(4, labelTop[row], 42, fontMetrics().height());

    edit = new QLineEdit(this);
    edit->setGeometry(50, editTop[row], editWidth, 20);

    upDown = new UpDownControl(this);
    upDown->setGeometry(94, buttonTop[row], 16, 24);

    stepButton = new QToolButton(this);
    stepButton->setAutoRaise(true);
    stepButton->setIcon(QIcon(stepPicture()));
    stepButton->setIconSize(QSize(9, 8));
    stepButton->setToolTip(QStringLiteral("刻み値を設定する"));
    stepButton->setFocusPolicy(Qt::NoFocus);
    stepButton->setGeometry(114, buttonTop[row], 14, 24);
}

void ConstantsPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    // Sunken outer and raised inner bevel, one pixel each.
    QPainter painter(this);
    qDrawShadeRect(&painter, rect(), palette(), true, 1, 0);
    qDrawShadeRect(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1, 0);
}

void ConstantsPanel::syncFromDocument(Setting which)
{
    QLineEdit* edit = which == Setting::ValA ? m_aEdit : which == Setting::ValB ? m_bEdit : nullptr;
    if (!edit)
        return;
    const QString text = QString::fromStdString(constantText(m_document.settings(), which));
    // Only a different text is set: the user's cursor stays put while the document echoes
    // the user's own typing back.
    if (edit->text() != text)
        edit->setText(text);
}

void ConstantsPanel::aEdited(const QString& text)
{
    m_document.setText(Setting::ValA, text.toStdString());
}

void ConstantsPanel::bEdited(const QString& text)
{
    m_document.setText(Setting::ValB, text.toStdString());
}

void ConstantsPanel::stepA(UpDownButton button)
{
    step(Setting::ValA, Setting::AInterval, button);
}

void ConstantsPanel::stepB(UpDownButton button)
{
    step(Setting::ValB, Setting::BInterval, button);
}

void ConstantsPanel::step(Setting value, Setting stepText, UpDownButton button)
{
    const char point = localeDecimalPoint();
    const DocumentSettings& settings = m_document.settings();
    // The value is converted first, so its error is the one shown when both are bad.
    const Ext current = StrToFloat(constantText(settings, value), point);
    const Ext amount = StrToFloat(constantText(settings, stepText), point);
    const Ext next = button == UpDownButton::Up ? current + amount : current - amount;
    // Two finite numbers whose sum leaves the 80-bit range are an arithmetic fault: the
    // value keeps its text rather than becoming "INF".
    if (!std::isfinite(next))
        throw Error(std::string(OverflowMessage));
    m_document.setText(value, FormatNumber(next, point));
    syncFromDocument(value);
}

void ConstantsPanel::askStepA()
{
    setStep(Setting::AInterval, QStringLiteral("定数Aの刻み値を設定してください。"));
}

void ConstantsPanel::askStepB()
{
    setStep(Setting::BInterval, QStringLiteral("定数Bの刻み値を設定してください。"));
}

void ConstantsPanel::setStep(Setting stepText, const QString& prompt)
{
    const std::optional<QString> text = m_dialogs.inputText(QStringLiteral("刻み値設定"), prompt,
        QString::fromStdString(constantText(m_document.settings(), stepText)));
    if (text)
        m_document.setText(stepText, text->toStdString());
}

} // namespace velquor
