#pragma once

#include "render/keys.h"

#include <QObject>

namespace velquor {

// The keyboard poller: the set of navigation keys held down, kept from the key press and
// release events the application receives. It watches the whole application (an event
// filter on the QGuiApplication) and forgets every key when the application stops being
// active, since the releases then go elsewhere.
class KeyState final : public QObject
{
public:
    explicit KeyState(QObject* parent = nullptr);

    // The held keys; empty while the application is not active.
    KeySet heldKeys() const;
    void clear() { m_held = 0; }

    // The bit of a Qt key code, 0 for keys the navigation does not poll.
    static KeySet keyBit(int qtKey);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeySet m_held = 0;
};

} // namespace velquor
