#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;

namespace velquor {

// The modal one-line text input with a caption, a prompt, and an edit field prefilled with
// the given text (all selected, at most 255 characters); "OK" (default) and "ｷｬﾝｾﾙ".
class InputTextDialog : public QDialog {
    Q_OBJECT
public:
    InputTextDialog(const QString& caption, const QString& prompt, const QString& initialText,
        QWidget* parent = nullptr);
    QString text() const;

    // Shows the dialog modally; the text when "OK" was pressed, no value when cancelled.
    static std::optional<QString> getText(QWidget* parent, const QString& caption,
        const QString& prompt, const QString& initialText);

private:
    QLineEdit* m_edit = nullptr;
};

} // namespace velquor
