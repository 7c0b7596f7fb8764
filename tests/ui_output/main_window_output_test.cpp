#include "platform/plot_widget.h"
#include "platform/scripted_dialog_service.h"
#include "test_support.h"
#include "ui/main_window.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>

using namespace velquor;

namespace {

QAction* modeItem(MainWindow& window, const QString& caption)
{
    for (QAction* item : window.m_displayModesMenu->actions())
        if (item->text() == caption)
            return item;
    return nullptr;
}

QSize surfaceSize(MainWindow& window)
{
    return { window.surface().width(), window.surface().height() };
}

} // namespace

// The commands as the running main window reaches them through its menus.
class MainWindowOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void fullScreenThroughTheMenus()
    {
        ScriptedDialogService dialogs;
        MainWindow window(dialogs, {});
        window.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.m_displayModesMenu->actions().isEmpty());
        const int items = window.m_displayModesMenu->actions().size();

        window.m_showToolbarAction->trigger(); // "ツールバー" off
        QVERIFY(!window.m_toolbar->isVisible());
        window.m_fullScreenAction->trigger();
        QVERIFY(window.m_fullScreenAction->isChecked());
        QCOMPARE(window.plotView().fullScreen, -1);
        QCOMPARE(surfaceSize(window), QSize(640, 480));
        QVERIFY(!window.m_leftPanel->isVisible());
        QVERIFY(!window.m_helpMenuAction->isEnabled());

        modeItem(window, QStringLiteral("800x600x16"))->trigger();
        QCOMPARE(surfaceSize(window), QSize(800, 600));
        QCOMPARE(window.m_displayModesMenu->actions().size(), items);
        window.m_copyAction->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(800, 600));

        window.m_fullScreenAction->trigger();
        QVERIFY(!window.m_fullScreenAction->isChecked());
        QCOMPARE(window.plotView().fullScreen, 0);
        QVERIFY(window.m_toolbar->isVisible());
        QVERIFY(!window.m_showToolbarAction->isChecked()); // the tick stays as the user left it
        QVERIFY(window.m_helpMenuAction->isEnabled());
        QTRY_COMPARE(surfaceSize(window), window.m_plot->size());
        QVERIFY(dialogs.errors().isEmpty());

        modeItem(window, QStringLiteral("640x480x32"))->trigger(); // windowed: nothing
        QTRY_COMPARE(surfaceSize(window), window.m_plot->size());
    }
};

int runMainWindowOutputTest(int argc, char** argv)
{
    MainWindowOutputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_output_test.moc"
