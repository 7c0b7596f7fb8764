#include "ui/settings_panel.h"

#include "calc/ext.h"
#include "calc/number_text.h"
#include "platform/dialog_service.h"
#include "ui/constants_panel.h"
#include "ui/conversions.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace velquor {

namespace {

    constexpr int EditWidth = 73;
    constexpr int EditHeight = 20;
    constexpr int CheckHeight = 17;

    const std::string& textOf(const DocumentSettings& settings, Setting which)
    {
        switch (which) {
        case Setting::Accuracy:
            return settings.accuracy;
        case Setting::TempAccuracy:
            return settings.tempAccuracy;
        case Setting::Interval:
            return settings.interval;
        case Setting::Interval2:
            return settings.interval2;
        case Setting::Ratio:
            return settings.ratio;
        case Setting::Animate:
            return settings.animate;
        default:
            return settings.mainLineWidth;
        }
    }

} // namespace

// --- ColorSwatch ---

ColorSwatch::ColorSwatch(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::setColor(std::int32_t bgr)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, toQColor(bgr));
    setPalette(colours);
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

// --- SettingsPanel ---

SettingsPanel::SettingsPanel(Document& document, DialogService& dialogs, QWidget* parent)
    : QFrame(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("settingsPanel"));
    // It takes the plot area's size; a smaller area clips the panel rather than the window
    // growing to it.
    resize(400, 352);
    m_topRule = addRule(this, true, QRect(0, 0, width(), 2));
    m_bottomRule = addRule(this, true, QRect(0, height() - 2, width(), 2));

    addLabel(this, 16, 16, QStringLiteral("画面設定"));
    addRule(this, true, QRect(16, 32, 209, 2));
    addRule(this, true, QRect(16, 35, 209, 2));

    addLabel(this, 38, 65, QStringLiteral("関数グラフ精度 (整数) "));
    m_accuracyEdit = addEdit(Setting::Accuracy, 188, 60);
    addLabel(this, 39, 94, QStringLiteral("移動時の中間精度  (整数)"));
    m_movingAccuracyEdit = addEdit(Setting::TempAccuracy, 188, 85);

    m_gridCheck = new QCheckBox(QStringLiteral("格子線を表示する"), this);
    m_gridCheck->setGeometry(40, 118, 129, CheckHeight);
    addLabel(this, 189, 118, QStringLiteral("縦"));
    m_verticalIntervalEdit = addEdit(Setting::Interval, 220, 112);
    addLabel(this, 189, 139, QStringLiteral("横"));
    m_horizontalIntervalEdit = addEdit(Setting::Interval2, 220, 135);

    addLabel(this, 40, 170, QStringLiteral("アニメーションコマ数(整数)"));
    m_animationFramesEdit = addEdit(Setting::Animate, 188, 162);
    addLabel(this, 40, 194, QStringLiteral("グラフの縦横比"));
    m_ratioEdit = addEdit(Setting::Ratio, 188, 186);

    m_degreeCheck = new QCheckBox(
        QStringLiteral("Sin,Cos,Tan関数を度単位で指定する（通常はラジアン）"), this);
    m_degreeCheck->setGeometry(40, 218, 297, CheckHeight);

    buildColorGroup();

    for (const auto& [y, text] :
        { std::pair {
              312, QStringLiteral("もう一度設定ボタンを押すと設定を有効にして画面に戻ります。") },
            std::pair { 328, QStringLiteral("この設定は、データファイルと一緒に保存されます") } }) {
        QLabel* note = addLabel(this, 45, y, text);
        QPalette colours = note->palette();
        colours.setColor(QPalette::WindowText, Qt::blue);
        note->setPalette(colours);
    }

    connect(m_gridCheck, &QCheckBox::clicked, this, [this](bool ticked) {
        runHandler(this, [&] { m_document.setFlag(Setting::CheckScale, ticked); });
    });
    connect(m_degreeCheck, &QCheckBox::clicked, this,
        [this](bool ticked) { runHandler(this, [&] { degreeClicked(ticked); }); });
    connect(m_backgroundSwatch, &ColorSwatch::clicked, this,
        [this] { runHandler(this, [this] { chooseBackgroundColor(); }); });
    connect(m_gridColorSwatch, &ColorSwatch::clicked, this,
        [this] { runHandler(this, [this] { chooseGridColor(); }); });
    connect(m_gridWidthSpin, &QSpinBox::valueChanged, this, [this](int width) {
        runHandler(
            this, [&] { m_document.setText(Setting::MainLineWidth, std::to_string(width)); });
    });
    syncAll();
}

void SettingsPanel::buildColorGroup()
{
    auto* group = new QFrame(this);
    group->setObjectName(QStringLiteral("colorGroup"));
    group->setFrameStyle(QFrame::NoFrame);
    group->setGeometry(40, 241, 353, 62);

    addLabel(group, 0, 8, QStringLiteral("背景色"));
    m_backgroundSwatch = new ColorSwatch(group);
    m_backgroundSwatch->setGeometry(136, 4, 81, 21);
    addRule(group, false, QRect(128, 0, 2, 58));
    addRule(group, true, QRect(0, 29, 297, 2));
    addLabel(group, 0, 38, QStringLiteral("格子線、目盛値"));
    m_gridColorSwatch = new ColorSwatch(group);
    m_gridColorSwatch->setGeometry(137, 34, 81, 21);
    m_gridWidthSpin = new QSpinBox(group);
    m_gridWidthSpin->setRange(1, 5);
    m_gridWidthSpin->setGeometry(233, 34, 52, 21);
}

QLabel* SettingsPanel::addLabel(QWidget* parent, int x, int y, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit* SettingsPanel::addEdit(Setting which, int x, int y)
{
    auto* edit = new QLineEdit(this);
    edit->setGeometry(x, y, EditWidth, EditHeight);
    connect(edit, &QLineEdit::textEdited, this,
        [this, which](const QString& text) { runHandler(this, [&] { textEdited(which, text); }); });
    return edit;
}

QFrame* SettingsPanel::addRule(QWidget* parent, bool horizontal, const QRect& geometry)
{
    auto* rule = new QFrame(parent);
    rule->setFrameStyle((horizontal ? QFrame::HLine : QFrame::VLine) | QFrame::Sunken);
    rule->setGeometry(geometry);
    return rule;
}

void SettingsPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    m_topRule->setGeometry(0, 0, width(), 2);
    m_bottomRule->setGeometry(0, height() - 2, width(), 2);
    // The caption is wider than 297 pixels in this system's Gothic face: the box grows to
    // its text (in the font the panel has by now) rather than cut off the parenthesis.
    m_degreeCheck->resize(std::max(297, m_degreeCheck->sizeHint().width()), CheckHeight);
}

QLineEdit* SettingsPanel::editFor(Setting which) const
{
    switch (which) {
    case Setting::Accuracy:
        return m_accuracyEdit;
    case Setting::TempAccuracy:
        return m_movingAccuracyEdit;
    case Setting::Interval:
        return m_verticalIntervalEdit;
    case Setting::Interval2:
        return m_horizontalIntervalEdit;
    case Setting::Ratio:
        return m_ratioEdit;
    case Setting::Animate:
        return m_animationFramesEdit;
    default:
        return nullptr;
    }
}

void SettingsPanel::syncFromDocument(Setting which)
{
    const DocumentSettings& settings = m_document.settings();
    if (QLineEdit* edit = editFor(which)) {
        const QString text = toQString(textOf(settings, which));
        // Only a different text is set, so that echoing the user's typing keeps the cursor.
        if (edit->text() != text)
            edit->setText(text);
        return;
    }
    switch (which) {
    case Setting::CheckScale:
        m_gridCheck->setChecked(settings.checkScale);
        break;
    case Setting::CheckDegree:
        m_degreeCheck->setChecked(settings.checkDegree);
        break;
    case Setting::BackgroundColor:
        m_backgroundSwatch->setColor(settings.backgroundColor);
        break;
    case Setting::MainLineColor:
        m_gridColorSwatch->setColor(settings.mainLineColor);
        break;
    case Setting::MainLineWidth: {
        // A width outside 1 to 5 (from a file) is kept in the document as it is; the spin
        // edit shows the nearest width it can.
        const QSignalBlocker quiet(m_gridWidthSpin);
        m_gridWidthSpin->setValue(toQString(settings.mainLineWidth).trimmed().toInt());
        break;
    }
    default:
        break;
    }
}

void SettingsPanel::syncAll()
{
    for (Setting which :
        { Setting::Accuracy, Setting::TempAccuracy, Setting::CheckScale, Setting::Interval,
            Setting::Interval2, Setting::Animate, Setting::Ratio, Setting::CheckDegree,
            Setting::BackgroundColor, Setting::MainLineColor, Setting::MainLineWidth })
        syncFromDocument(which);
}

void SettingsPanel::textEdited(Setting which, const QString& text)
{
    m_document.setText(which, toStdString(text));
}

void SettingsPanel::degreeClicked(bool ticked)
{
    // The document asks the degree question itself and may replace ratio and intervals.
    m_document.setFlag(Setting::CheckDegree, ticked);
    for (Setting which :
        { Setting::CheckDegree, Setting::Ratio, Setting::Interval, Setting::Interval2 })
        syncFromDocument(which);
}

void SettingsPanel::chooseBackgroundColor()
{
    chooseColor(Setting::BackgroundColor);
}

void SettingsPanel::chooseGridColor()
{
    chooseColor(Setting::MainLineColor);
}

void SettingsPanel::chooseColor(Setting which)
{
    const DocumentSettings& settings = m_document.settings();
    const std::int32_t current
        = which == Setting::BackgroundColor ? settings.backgroundColor : settings.mainLineColor;
    if (const std::optional<std::int32_t> chosen = m_dialogs.chooseColor(current)) {
        m_document.setColor(which, *chosen);
        syncFromDocument(which);
    }
    if (m_redraw)
        m_redraw();
}

void SettingsPanel::apply()
{
    const std::pair<Setting, const char*> startValues[] = {
        { Setting::Accuracy, "1" },
        { Setting::TempAccuracy, "20" },
        { Setting::Animate, "40" },
    };
    for (const auto& [which, startValue] : startValues) {
        if (textOf(m_document.settings(), which).empty()) {
            m_document.setText(which, startValue);
            syncFromDocument(which);
        }
    }
    repairInterval(Setting::Interval);
    repairInterval(Setting::Interval2);
}

void SettingsPanel::repairInterval(Setting which)
{
    if (textOf(m_document.settings(), which).empty()) {
        m_document.setText(which, "1");
        syncFromDocument(which);
    }
    // A grid interval not greater than 0 would never advance the grid pass.
    if (StrToFloat(textOf(m_document.settings(), which), localeDecimalPoint()) <= 0) {
        m_document.setText(which, "1");
        syncFromDocument(which);
    }
}

} // namespace velquor
