#include "scripted_dialog_service.h"

namespace velquor {

template <class T> std::optional<T> ScriptedDialogService::take()
{
    if (m_answers.empty())
        return std::nullopt;
    std::optional<T> result;
    if (const T* value = std::get_if<T>(&m_answers.front()))
        result = *value;
    m_answers.pop_front();
    return result;
}

void ScriptedDialogService::showError(const QString& text)
{
    m_log.append(QStringLiteral("error: ") + text);
    m_errors.append(text);
}

bool ScriptedDialogService::askYesNo(const QString& caption, const QString& text)
{
    m_log.append(QStringLiteral("yesno: ") + caption + QStringLiteral(": ") + text);
    return take<bool>().value_or(false);
}

DialogService::YesNoCancel ScriptedDialogService::askYesNoCancel(
    const QString& caption, const QString& text)
{
    m_log.append(QStringLiteral("yesnocancel: ") + caption + QStringLiteral(": ") + text);
    const std::optional<bool> answer = take<bool>();
    if (!answer)
        return YesNoCancel::Cancel;
    return *answer ? YesNoCancel::Yes : YesNoCancel::No;
}

std::optional<QString> ScriptedDialogService::inputText(
    const QString& caption, const QString& prompt, const QString& initialText)
{
    m_log.append(QStringLiteral("input: ") + caption + QStringLiteral(": ") + prompt
        + QStringLiteral(": ") + initialText);
    return take<QString>();
}

std::optional<QString> ScriptedDialogService::openFileName(
    const QString& filter, const QString& defaultSuffix, const QString& initialPath)
{
    m_log.append(QStringLiteral("open: ") + filter + QStringLiteral(": ") + defaultSuffix
        + QStringLiteral(": ") + initialPath);
    return take<QString>();
}

std::optional<QString> ScriptedDialogService::saveFileName(const QString& filter,
    const QString& defaultSuffix, const QString& initialPath, bool confirmOverwrite)
{
    m_log.append(QStringLiteral("save: ") + filter + QStringLiteral(": ") + defaultSuffix
        + QStringLiteral(": ") + initialPath
        + (confirmOverwrite ? QStringLiteral(": confirm") : QString()));
    return take<QString>();
}

std::optional<DialogService::SaveChoice> ScriptedDialogService::saveFileNameAndFilter(
    const QString& filter, const QString& defaultSuffix, const QString& initialPath,
    bool confirmOverwrite)
{
    m_log.append(QStringLiteral("save: ") + filter + QStringLiteral(": ") + defaultSuffix
        + QStringLiteral(": ") + initialPath
        + (confirmOverwrite ? QStringLiteral(": confirm") : QString()));
    if (!m_answers.empty()) {
        if (const QString* path = std::get_if<QString>(&m_answers.front())) {
            SaveChoice choice { *path, 0 };
            m_answers.pop_front();
            return choice;
        }
    }
    return take<SaveChoice>();
}

std::optional<std::int32_t> ScriptedDialogService::chooseColor(std::int32_t initialColor)
{
    m_log.append(QStringLiteral("color: ") + QString::number(initialColor));
    return take<std::int32_t>();
}

} // namespace velquor
