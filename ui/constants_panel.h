#pragma once

#include "calc/error.h"
#include "document/document.h"

#include <QBasicTimer>
#include <QFrame>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace velquor {

class DialogService;

// Runs a control's handler at once. An Error it throws is raised again from a queued call on
// the context object, so that it reaches the event loop's error box without unwinding through
// the Qt widget code that called the handler (that code is built without exception support).
template <class Handler> void runHandler(QObject* context, Handler&& handler)
{
    try {
        handler();
    } catch (const Error&) {
        QMetaObject::invokeMethod(
            context, [error = std::current_exception()] { std::rethrow_exception(error); },
            Qt::QueuedConnection);
    }
}

enum class UpDownButton { Up, Down };

// A free-standing up-down control (two arrow halves) with its own int16 press counter
// from -32767 to 32767 that does not wrap. It is tied to no edit: `clicked` tells only
// which arrow moved the counter. Held down, the arrow repeats.
class UpDownControl : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::int16_t Limit = 32767;

    explicit UpDownControl(QWidget* parent = nullptr);

    std::int16_t position() const { return m_position; }
    void setPosition(std::int16_t position) { m_position = position; }

    // One press of an arrow: moves the counter and emits `clicked`; at the end of the range
    // in that direction nothing happens and false is returned. A handler's error propagates.
    bool press(UpDownButton button);

signals:
    void clicked(UpDownButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void pressHeld();

    std::int16_t m_position = 0;
    bool m_held = false;
    UpDownButton m_heldButton = UpDownButton::Up;
    QBasicTimer m_repeat;
};

// The constants panel: the values of a and b, their up-downs and the buttons that set their
// steps. Values and steps live in the document; this panel shows the values and edits them.
// Redrawing on a change is the document hook's business.
class ConstantsPanel : public QFrame
{
    Q_OBJECT
public:
    ConstantsPanel(Document& document, DialogService& dialogs, QWidget* parent = nullptr);

    // Shows the document's value of ValA or ValB in its edit without reporting a change back;
    // other settings are ignored.
    void syncFromDocument(Setting which);
    // New: the counter of a goes back to 0 (the counter of b is kept).
    void resetCounterA() { m_aUpDown->setPosition(0); }

    // A press of an arrow that moved the counter: value -/+ step in 80-bit precision, written
    // back in the 15-digit number format. Throws Error (value's error first) and leaves the
    // value unchanged when the value or step text is not a decimal number.
    void stepA(UpDownButton button);
    void stepB(UpDownButton button);
    // The step buttons: the step dialog; OK stores the text as typed. Nothing is redrawn.
    void askStepA();
    void askStepB();
    // The user's edit of the a / b box (also the entry point for tests).
    void aEdited(const QString& text);
    void bEdited(const QString& text);

    QLineEdit* m_aEdit = nullptr;
    QLineEdit* m_bEdit = nullptr;
    UpDownControl* m_aUpDown = nullptr;
    UpDownControl* m_bUpDown = nullptr;
    QToolButton* m_aStepButton = nullptr;
    QToolButton* m_bStepButton = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildRow(int row, const QString& label, QLineEdit*& edit, int editWidth,
        UpDownControl*& upDown, QToolButton*& stepButton);
    void step(Setting value, Setting stepText, UpDownButton button);
    void setStep(Setting stepText, const QString& prompt);

    Document& m_document;
    DialogService& m_dialogs;
};

} // namespace velquor
