#include "qt_dialog_service.h"

#include "ui/input_text_dialog.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace velquor {

void QtDialogService::showError(const QString& text)
{
    QMessageBox box(
        QMessageBox::Critical, QStringLiteral("Velquor"), text, QMessageBox::NoButton, m_parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool QtDialogService::askYesNo(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

DialogService::YesNoCancel QtDialogService::askYesNoCancel(
    const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, m_parent);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return YesNoCancel::Yes;
    if (box.clickedButton() == no)
        return YesNoCancel::No;
    return YesNoCancel::Cancel;
}

std::optional<QString> QtDialogService::inputText(
    const QString& caption, const QString& prompt, const QString& initialText)
{
    return InputTextDialog::getText(m_parent, caption, prompt, initialText);
}

std::optional<QString> QtDialogService::openFileName(
    const QString& filter, const QString& defaultSuffix, const QString& initialPath)
{
    QFileDialog dialog(m_parent, QString(), initialPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogService::saveFileName(const QString& filter,
    const QString& defaultSuffix, const QString& initialPath, bool confirmOverwrite)
{
    QFileDialog dialog(m_parent, QString(), initialPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!initialPath.isEmpty())
        dialog.selectFile(initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<DialogService::SaveChoice> QtDialogService::saveFileNameAndFilter(
    const QString& filter, const QString& defaultSuffix, const QString& initialPath,
    bool confirmOverwrite)
{
    QFileDialog dialog(m_parent, QString(), initialPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!initialPath.isEmpty())
        dialog.selectFile(initialPath);
    const QStringList entries = filter.split(QStringLiteral(";;"));
    // The suffix added to a name without one is the selected entry's: "*.png" gives "png".
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, defaultSuffix](const QString& entry) {
            const qsizetype open = entry.lastIndexOf(QStringLiteral("(*."));
            const QString suffix = open < 0
                ? QString()
                : entry.mid(open + 3).chopped(entry.endsWith(QLatin1Char(')')) ? 1 : 0);
            dialog.setDefaultSuffix(suffix.isEmpty() || suffix.contains(QLatin1Char('*'))
                        || suffix.contains(QLatin1Char(' '))
                    ? defaultSuffix
                    : suffix);
        });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SaveChoice { dialog.selectedFiles().constFirst(),
        std::max(0, int(entries.indexOf(dialog.selectedNameFilter()))) };
}

std::optional<std::int32_t> QtDialogService::chooseColor(std::int32_t initialColor)
{
    // The document's colours are 0x00BBGGRR.
    const QColor initial(
        initialColor & 0xff, (initialColor >> 8) & 0xff, (initialColor >> 16) & 0xff);
    const QColor chosen = QColorDialog::getColor(initial, m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::int32_t>(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
}

} // namespace velquor
