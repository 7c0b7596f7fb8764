#pragma once

#include "dialog_service.h"

#include <QStringList>
#include <deque>
#include <variant>

namespace velquor {

// A dialog service for tests: answers come from a queue, and every question is recorded.
// An unexpected question (empty queue) records itself and answers "cancel" / "いいえ(&N)"
// ("キャンセル" for the three-way question).
class ScriptedDialogService : public DialogService
{
public:
    struct Cancel
    {
    };
    // A QString answers a save dialog with its first filter entry selected; a bool answers the
    // three-way question with "はい(&Y)" or "いいえ(&N)", Cancel with "キャンセル".
    using Answer = std::variant<Cancel, bool, QString, std::int32_t, SaveChoice>;

    void push(Answer answer) { m_answers.push_back(std::move(answer)); }
    const QStringList& log() const { return m_log; } // "error: ...", "yesno: ...", "input: ..."
    const QStringList& errors() const { return m_errors; }
    void clearLog()
    {
        m_log.clear();
        m_errors.clear();
    }
    std::size_t pendingAnswers() const { return m_answers.size(); }

    void showError(const QString& text) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    YesNoCancel askYesNoCancel(const QString& caption, const QString& text) override;
    std::optional<QString> inputText(
        const QString& caption, const QString& prompt, const QString& initialText) override;
    std::optional<QString> openFileName(
        const QString& filter, const QString& defaultSuffix, const QString& initialPath) override;
    std::optional<QString> saveFileName(const QString& filter, const QString& defaultSuffix,
        const QString& initialPath, bool confirmOverwrite) override;
    std::optional<SaveChoice> saveFileNameAndFilter(const QString& filter,
        const QString& defaultSuffix, const QString& initialPath, bool confirmOverwrite) override;
    std::optional<std::int32_t> chooseColor(std::int32_t initialColor) override;

private:
    // The next answer if it is a T; the answer is used up either way.
    template <class T> std::optional<T> take();
    std::deque<Answer> m_answers;
    QStringList m_log;
    QStringList m_errors;
};

} // namespace velquor
