#include "platform/key_state.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace velquor {
namespace {

    TEST(KeyState, MapsTheNavigationKeys)
    {
        struct Row
        {
            int qtKey;
            KeySet bit;
        };
        const Row rows[] = {
            { Qt::Key_Left, KeyLeft },
            { Qt::Key_Right, KeyRight },
            { Qt::Key_Up, KeyUp },
            { Qt::Key_Down, KeyDown },
            { Qt::Key_Shift, KeyShift },
            { Qt::Key_Z, KeyZ },
            { Qt::Key_Space, KeySpace },
            { Qt::Key_X, KeyX },
            { Qt::Key_Return, KeyEnter },
            { Qt::Key_Enter, KeyEnter }, // the keypad's Enter
            { Qt::Key_A, 0 },
            { Qt::Key_Control, 0 },
            { Qt::Key_Escape, 0 },
        };
        for (const Row& row : rows)
            EXPECT_EQ(KeyState::keyBit(row.qtKey), row.bit) << row.qtKey;
    }

    TEST(KeyState, KeepsTheKeysHeldWhileTheApplicationIsActive)
    {
        KeyState keys;
        QWidget window;
        window.show();
        window.activateWindow();
        QCoreApplication::processEvents();
        if (QGuiApplication::applicationState() != Qt::ApplicationActive)
            GTEST_SKIP() << "this platform never activates the application";

        auto send = [&](QEvent::Type type, int key, bool repeat = false) {
            QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
            QCoreApplication::sendEvent(&window, &event);
        };
        send(QEvent::KeyPress, Qt::Key_Left);
        send(QEvent::KeyPress, Qt::Key_Z);
        EXPECT_EQ(keys.heldKeys(), KeyLeft | KeyZ);
        send(QEvent::KeyRelease, Qt::Key_Left, true); // an auto-repeat release: still held
        EXPECT_EQ(keys.heldKeys(), KeyLeft | KeyZ);
        send(QEvent::KeyRelease, Qt::Key_Left);
        EXPECT_EQ(keys.heldKeys(), KeyZ);
        send(QEvent::KeyPress, Qt::Key_A); // not polled
        EXPECT_EQ(keys.heldKeys(), KeyZ);
        keys.clear();
        EXPECT_EQ(keys.heldKeys(), 0u);
    }

} // namespace
} // namespace velquor
