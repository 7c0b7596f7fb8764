#include "platform/plot_widget.h"
#include "platform/scripted_dialog_service.h"
#include "test_support.h"
#include "ui/graph_list.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

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

// A shown, active main window with the clipboard holding a marker text.
struct ActiveWindow
{
    ScriptedDialogService dialogs;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(dialogs, QStringList {});

    ActiveWindow()
    {
        window->showAtStartup();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    // Ctrl+C as the keyboard delivers it to the focused widget, shortcut map included.
    void pressCopy()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    }
    bool clipboardHoldsThePlot() const
    {
        const QImage copied = QGuiApplication::clipboard()->image();
        return copied.size() == QSize(window->surface().width(), window->surface().height())
            && QGuiApplication::clipboard()->text().isEmpty();
    }
};

} // namespace

// The commands as the running main window reaches them through its menus.
class MainWindowOutputTest : public QObject
{
    Q_OBJECT

private slots:
    // The window's default size leaves the plot exactly its designed size whatever height the
    // menu bar takes on this platform, so the bitmap export has the designed size too.
    void theDefaultWindowGivesTheDesignedPlotAndExport()
    {
        ScriptedDialogService dialogs;
        MainWindow window(dialogs, {});
        window.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.m_plot->size(), QSize(445, 364));
        QCOMPARE(surfaceSize(window), QSize(445, 364));
        QCOMPARE(window.height() - window.centralWidget()->height(), window.menuBar()->height());

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plot.bmp"));
        dialogs.push(path);
        window.m_saveImageAction->trigger();
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.size(), 486358); // 54 + 364 rows of 445 x 3 bytes padded to 1336
        QVERIFY(dialogs.errors().isEmpty());
    }

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

    // The menu promises Ctrl+C for the plot: a text box without selected text must not swallow
    // it, whichever widget has the focus.
    void ctrlCCopiesThePlotWhereverTheFocusIs_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("at start-up (the a box)") << QString();
        QTest::newRow("a box, cursor only") << QStringLiteral("a box");
        QTest::newRow("graph list") << QStringLiteral("graph list");
        QTest::newRow("settings panel box") << QStringLiteral("settings box");
        QTest::newRow("settings panel spin box") << QStringLiteral("settings spin box");
    }
    void ctrlCCopiesThePlotWhereverTheFocusIs()
    {
        QFETCH(QString, focus);
        ActiveWindow active;
        MainWindow& window = *active.window;
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QLineEdit* aBox = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (focus == QStringLiteral("a box")) {
            aBox->setText(QStringLiteral("0.5"));
            aBox->setCursorPosition(1);
        } else if (focus == QStringLiteral("graph list")) {
            window.graphList().m_tree->setFocus();
        } else if (focus.startsWith(QStringLiteral("settings"))) {
            window.toggleSettingsPanel();
            QWidget* settings
                = window.m_plotArea->findChild<QWidget*>(QStringLiteral("settingsPanel"));
            QVERIFY(settings && settings->isVisible());
            if (focus == QStringLiteral("settings box"))
                settings->findChild<QLineEdit*>()->setFocus();
            else
                settings->findChild<QSpinBox*>()->setFocus();
        }
        QVERIFY(QApplication::focusWidget());

        active.pressCopy();
        QVERIFY2(active.clipboardHoldsThePlot(), qPrintable(QGuiApplication::clipboard()->text()));
        QVERIFY(active.dialogs.errors().isEmpty());
    }

    // Only selected text in the focused box takes Ctrl+C for itself.
    void ctrlCCopiesSelectedTextOfTheFocusedBox()
    {
        ActiveWindow active;
        auto* aBox = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(aBox);
        aBox->setText(QStringLiteral("0.25"));
        aBox->setSelection(1, 3);
        active.pressCopy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(".25"));
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
        // The selection gone, the next Ctrl+C is the plot's again.
        aBox->deselect();
        active.pressCopy();
        QVERIFY(active.clipboardHoldsThePlot());
    }
};

int runMainWindowOutputTest(int argc, char** argv)
{
    MainWindowOutputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_output_test.moc"
