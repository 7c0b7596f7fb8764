#include "platform/key_state.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace velquor {

KeyState::KeyState(QObject* parent)
    : QObject(parent)
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        app->installEventFilter(this);
        connect(app, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    clear();
            });
    }
}

KeySet KeyState::heldKeys() const
{
    if (QGuiApplication::applicationState() != Qt::ApplicationActive)
        return 0;
    return m_held;
}

KeySet KeyState::keyBit(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left:
        return KeyLeft;
    case Qt::Key_Right:
        return KeyRight;
    case Qt::Key_Up:
        return KeyUp;
    case Qt::Key_Down:
        return KeyDown;
    case Qt::Key_Shift:
        return KeyShift;
    case Qt::Key_Z:
        return KeyZ;
    case Qt::Key_Space:
        return KeySpace;
    case Qt::Key_X:
        return KeyX;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    default:
        return 0;
    }
}

bool KeyState::eventFilter(QObject* watched, QEvent* event)
{
    // Every key event reaches the filter once per widget it is delivered to; only the
    // window-level delivery matters, and setting or clearing a bit twice is harmless.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            KeySet bit = keyBit(key->key());
            if (event->type() == QEvent::KeyPress)
                m_held |= bit;
            else
                m_held &= ~bit;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velquor
