// Full screen on a real X server without a window manager (run by run_under_xvfb.sh).
#include "platform/plot_widget.h"
#include "platform/scripted_dialog_service.h"
#include "platform/window_manager.h"
#include "ui/constants_panel.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

using namespace velquor;

namespace {

xcb_connection_t* connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_window_t rootWindow()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

xcb_atom_t atom(const char* name)
{
    const auto cookie
        = xcb_intern_atom(connection(), 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection(), cookie, nullptr);
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

void setWindowProperty(xcb_window_t window, const char* name, xcb_atom_t type, std::uint32_t value)
{
    xcb_change_property(
        connection(), XCB_PROP_MODE_REPLACE, window, atom(name), type, 32, 1, &value);
    xcb_flush(connection());
}

QAction* modeItem(MainWindow& window, const QString& caption)
{
    for (QAction* item : window.m_displayModesMenu->actions())
        if (item->text() == caption)
            return item;
    return nullptr;
}

} // namespace

class FullScreenX11Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QStringLiteral("xcb"),
            "runs on an X server (run_under_xvfb.sh)");
    }

    void withoutAWindowManagerTheWindowCoversTheScreenItself()
    {
        QVERIFY(!windowManagerPlacesFullScreenWindows());
        ScriptedDialogService dialogs;
        MainWindow window(dialogs, {});
        window.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect before = window.geometry();
        const QRect screen = window.screen()->geometry();
        QVERIFY(before != screen);

        window.m_fullScreenAction->trigger();
        QTRY_COMPARE(window.geometry(), screen);
        QVERIFY(window.windowState() & Qt::WindowFullScreen);
        QCOMPARE(window.surface().width(), 640);
        QTRY_COMPARE(window.m_plot->width(), screen.width());

        // A mode switch leaves and re-enters on the way: the window still covers the screen.
        modeItem(window, QStringLiteral("800x600x16"))->trigger();
        QTRY_COMPARE(window.geometry(), screen);
        QCOMPARE(window.surface().width(), 800);

        window.m_fullScreenAction->trigger();
        QTRY_COMPARE(window.geometry(), before);
        QVERIFY(!(window.windowState() & Qt::WindowFullScreen));
        QTRY_COMPARE(window.m_plot->size(), QSize(445, 364));
        QTRY_COMPARE(QSize(window.surface().width(), window.surface().height()), QSize(445, 364));

        // Again, from the restored window.
        window.m_fullScreenAction->trigger();
        QTRY_COMPARE(window.geometry(), screen);
        window.m_fullScreenAction->trigger();
        QTRY_COMPARE(window.geometry(), before);
        QVERIFY(dialogs.errors().isEmpty());
    }

    // The window shown again with new flags takes the keyboard at once: the navigation keys
    // must not wait for a click into the plot, also when a text box had the focus.
    void enteringFullScreenGivesThePlotTheKeyboard()
    {
        ScriptedDialogService dialogs;
        MainWindow window(dialogs, {});
        window.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.constantsPanel().m_aEdit->setFocus();
        window.m_fullScreenAction->trigger();
        QTRY_COMPARE(window.geometry(), window.screen()->geometry());
        QTRY_COMPARE(QGuiApplication::focusWindow(), window.windowHandle());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.m_plot));
        window.m_fullScreenAction->trigger();
        QVERIFY(dialogs.errors().isEmpty());
    }

    // What a window manager announces on the root window decides; a stale announcement, whose
    // window no longer names itself, does not count.
    void theWindowManagersAnnouncementIsRead()
    {
        const xcb_window_t root = rootWindow();
        const xcb_window_t check = xcb_generate_id(connection());
        xcb_create_window(connection(), XCB_COPY_FROM_PARENT, check, root, -1, -1, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        setWindowProperty(root, "_NET_SUPPORTED", XCB_ATOM_ATOM, atom("_NET_WM_STATE_FULLSCREEN"));
        setWindowProperty(root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, check);
        QVERIFY(!windowManagerPlacesFullScreenWindows()); // the check window names nobody

        setWindowProperty(check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, check);
        QVERIFY(windowManagerPlacesFullScreenWindows());

        setWindowProperty(root, "_NET_SUPPORTED", XCB_ATOM_ATOM, atom("_NET_WM_STATE_ABOVE"));
        QVERIFY(!windowManagerPlacesFullScreenWindows()); // no full-screen support

        xcb_delete_property(connection(), root, atom("_NET_SUPPORTED"));
        xcb_delete_property(connection(), root, atom("_NET_SUPPORTING_WM_CHECK"));
        xcb_destroy_window(connection(), check);
        xcb_flush(connection());
        QVERIFY(!windowManagerPlacesFullScreenWindows());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FullScreenX11Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "full_screen_x11_test.moc"
