#include "scripted_dialog_service.h"

namespace velquor {

ScriptedDialogService::Answer ScriptedDialogService::next()
{
    if (m_answers.empty())
        return Cancel {};
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

void ScriptedDialogService::showError(const QString& text)
{
    m_log.append(QStringLiteral("error: ") + text);
    m_errors.append(text);
}

bool ScriptedDialogService::askYesNo(const QString& caption, const QString& text)
{
    m_log.append(QStringLiteral("yesno: ") + caption + QStringLiteral(": ") + text);
    const Answer answer = next();
    const bool* yes = std::get_if<bool>(&answer);
    return yes && *yes;
}

std::optional<QString> ScriptedDialogService::inputText(
    const QString& caption, const QString& prompt, const QString& initialText)
{
    m_log.append(QStringLiteral("input: ") + caption + QStringLiteral(": ") + prompt
        + QStringLiteral(": ") + initialText);
    const Answer answer = next();
    if (const QString* text = std::get_if<QString>(&answer))
        return *text;
    return std::nullopt;
}

std::optional<QString> ScriptedDialogService::openFileName(
    const QString& filter, const QString& defaultSuffix, const QString& initialPath)
{
    m_log.append(QStringLiteral("open: ") + filter + QStringLiteral(": ") + defaultSuffix
        + QStringLiteral(": ") + initialPath);
    const Answer answer = next();
    if (const QString* path = std::get_if<QString>(&answer))
        return *path;
    return std::nullopt;
}

std::optional<QString> ScriptedDialogService::saveFileName(const QString& filter,
    const QString& defaultSuffix, const QString& initialPath, bool confirmOverwrite)
{
    m_log.append(QStringLiteral("save: ") + filter + QStringLiteral(": ") + defaultSuffix
        + QStringLiteral(": ") + initialPath
        + (confirmOverwrite ? QStringLiteral(": confirm") : QString()));
    const Answer answer = next();
    if (const QString* path = std::get_if<QString>(&answer))
        return *path;
    return std::nullopt;
}

std::optional<std::int32_t> ScriptedDialogService::chooseColor(std::int32_t initialColor)
{
    m_log.append(QStringLiteral("color: ") + QString::number(initialColor));
    const Answer answer = next();
    if (const std::int32_t* color = std::get_if<std::int32_t>(&answer))
        return *color;
    return std::nullopt;
}

} // namespace velquor
