#include "platform/plot_widget.h"
#include "platform/scripted_dialog_service.h"
#include "test_support.h"
#include "ui/main_form.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>

using namespace velquor;

namespace {

QAction* modeItem(TMainForm& form, const QString& caption)
{
    for (QAction* item : form.ModesMenu->actions())
        if (item->text() == caption)
            return item;
    return nullptr;
}

QSize surfaceSize(TMainForm& form)
{
    return { form.surface().width(), form.surface().height() };
}

} // namespace

// The commands as the running main window reaches them through its menus.
class MainFormOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void fullScreenThroughTheMenus()
    {
        ScriptedDialogService dialogs;
        TMainForm form(dialogs, {});
        form.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!form.ModesMenu->actions().isEmpty());
        const int items = form.ModesMenu->actions().size();

        form.N14->trigger(); // "ツールバー" off
        QVERIFY(!form.Panel12->isVisible());
        form.N12->trigger();
        QVERIFY(form.N12->isChecked());
        QCOMPARE(form.plotView().fullScreen, -1);
        QCOMPARE(surfaceSize(form), QSize(640, 480));
        QVERIFY(!form.Panel9->isVisible());
        QVERIFY(!form.Help1->isEnabled());

        modeItem(form, QStringLiteral("800x600x16"))->trigger();
        QCOMPARE(surfaceSize(form), QSize(800, 600));
        QCOMPARE(form.ModesMenu->actions().size(), items);
        form.Copy2->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(800, 600));

        form.N12->trigger();
        QVERIFY(!form.N12->isChecked());
        QCOMPARE(form.plotView().fullScreen, 0);
        QVERIFY(form.Panel12->isVisible());
        QVERIFY(!form.N14->isChecked()); // the tick stays as the user left it
        QVERIFY(form.Help1->isEnabled());
        QTRY_COMPARE(surfaceSize(form), form.DXDraw1->size());
        QVERIFY(dialogs.errors().isEmpty());

        modeItem(form, QStringLiteral("640x480x32"))->trigger(); // windowed: nothing
        QTRY_COMPARE(surfaceSize(form), form.DXDraw1->size());
    }
};

int runMainFormOutputTest(int argc, char** argv)
{
    MainFormOutputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_form_output_test.moc"
