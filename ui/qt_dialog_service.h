#pragma once

#include "platform/dialog_service.h"

#include <QPointer>
#include <QWidget>

namespace velquor {

// The dialog service of the running application: real Qt dialogs owned by a parent window.
class QtDialogService : public DialogService
{
public:
    explicit QtDialogService(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }

    void showError(const QString& text) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    YesNoCancel askYesNoCancel(const QString& caption, const QString& text) override;
    std::optional<QString> inputText(
        const QString& caption, const QString& prompt, const QString& initialText) override;
    std::optional<QString> openFileName(
        const QString& filter, const QString& defaultSuffix, const QString& initialPath) override;
    std::optional<SaveChoice> saveFileNameAndFilter(const QString& filter,
        const QString& defaultSuffix, const QString& initialPath, bool confirmOverwrite) override;
    std::optional<QString> saveFileName(const QString& filter, const QString& defaultSuffix,
        const QString& initialPath, bool confirmOverwrite) override;
    std::optional<std::int32_t> chooseColor(std::int32_t initialColor) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace velquor
