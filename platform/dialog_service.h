#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace velquor {

// Every modal question the system asks goes through here, so that tests can script them.
class DialogService
{
public:
    virtual ~DialogService() = default;

    // The error box: stop icon, caption "Velquor", "OK"; the "." rule is applied by the caller.
    virtual void showError(const QString& text) = 0;
    // A confirmation box with "はい(&Y)" and "いいえ(&N)"; true for "はい(&Y)".
    virtual bool askYesNo(const QString& caption, const QString& text) = 0;
    // A question with "はい(&Y)", "いいえ(&N)" and "キャンセル" (also Esc and closing the box).
    enum class YesNoCancel { Yes, No, Cancel };
    virtual YesNoCancel askYesNoCancel(const QString& caption, const QString& text) = 0;
    // The one-line text input; no value when cancelled.
    virtual std::optional<QString> inputText(
        const QString& caption, const QString& prompt, const QString& initialText)
        = 0;
    // File dialogs. filter uses Qt's form ("Name (*.gdt);;All (*)"); defaultSuffix without dot.
    virtual std::optional<QString> openFileName(
        const QString& filter, const QString& defaultSuffix, const QString& initialPath)
        = 0;
    virtual std::optional<QString> saveFileName(const QString& filter, const QString& defaultSuffix,
        const QString& initialPath, bool confirmOverwrite)
        = 0;
    // The save dialog that also says which entry of the filter was selected (from 0). The
    // default suffix follows the selected entry's pattern ("*.png": "png"; "*.*" keeps
    // defaultSuffix).
    struct SaveChoice
    {
        QString path;
        int filterIndex = 0;
    };
    virtual std::optional<SaveChoice> saveFileNameAndFilter(const QString& filter,
        const QString& defaultSuffix, const QString& initialPath, bool confirmOverwrite)
        = 0;
    // The colour dialog opened with a 0x00BBGGRR colour; no value when cancelled.
    virtual std::optional<std::int32_t> chooseColor(std::int32_t initialColor) = 0;
};

} // namespace velquor
