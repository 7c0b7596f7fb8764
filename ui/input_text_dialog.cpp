#include "ui/input_text_dialog.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace velquor {

namespace {

    const QString DialogFontFamily = QStringLiteral("ＭＳ Ｐゴシック");

    // The platform's default dialog font: "ＭＳ Ｐゴシック" at 9 points (12 pixels at 96 dpi),
    // drawn with a Gothic face of this system when the family is not installed.
    QFont dialogFont()
    {
        if (QFont::substitutes(DialogFontFamily).isEmpty())
            QFont::insertSubstitutions(
                DialogFontFamily, { QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic") });
        QFont font(DialogFontFamily);
        font.setPixelSize(12);
        return font;
    }

    // Dialog units: the average width of the 52 Latin letters, rounded, and the line height.
    struct DialogUnits
    {
        int w;
        int h;
        int x(int units) const { return (units * w + 2) / 4; }
        int y(int units) const { return (units * h + 4) / 8; }
    };

    DialogUnits dialogUnits(const QFont& font)
    {
        const QFontMetrics metrics(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        return { (letters / 26 + 1) / 2, metrics.height() };
    }

} // namespace

InputTextDialog::InputTextDialog(
    const QString& caption, const QString& prompt, const QString& initialText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(caption);
    setFont(dialogFont());
    const DialogUnits u = dialogUnits(font());
    setFixedSize(u.x(180), u.y(63));

    auto* label = new QLabel(prompt, this);
    label->move(u.x(8), u.y(8));
    label->adjustSize();

    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(255);
    m_edit->setText(initialText);
    m_edit->setGeometry(u.x(8), u.y(19), u.x(164), m_edit->sizeHint().height());
    m_edit->selectAll();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(u.x(38), u.y(41), u.x(50), u.y(14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setGeometry(u.x(92), u.y(41), u.x(50), u.y(14));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Centred on the screen, not on the parent window.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    m_edit->setFocus();
}

QString InputTextDialog::text() const
{
    return m_edit->text();
}

std::optional<QString> InputTextDialog::getText(
    QWidget* parent, const QString& caption, const QString& prompt, const QString& initialText)
{
    InputTextDialog dialog(caption, prompt, initialText, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.text();
}

} // namespace velquor
