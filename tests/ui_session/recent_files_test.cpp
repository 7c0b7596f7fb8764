#include "session_support.h"
#include "ui/recent_files.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velquor;
using namespace velquor::testing;

namespace {

// The items of the recent files submenu as "text | status tip".
QStringList menuItems(QMenu* menu)
{
    QStringList items;
    for (const QAction* action : menu->actions())
        items << action->text() + QStringLiteral(" | ") + action->statusTip();
    return items;
}

QMenu* fileMenuSubmenu(MainWindow& window)
{
    const QList<QAction*> menus = window.menuBar()->actions();
    for (const QAction* item : menus.constFirst()->menu()->actions())
        if (item->menu() && item->text() == QString::fromUtf8(RecentFiles::MenuTitle))
            return item->menu();
    return nullptr;
}

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

} // namespace

class RecentFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void listAfterAddsAndRemoves_data();
    void listAfterAddsAndRemoves();
    void menuNumbersNamesWithPathAsTip();
    void instancesShareTheList();
    void openAndSaveAreRemembered();
    void missingFileLeavesListWithOpenError();
    void statusTipShowsInStatusBarAndGoes();

private:
    std::unique_ptr<RecentFiles> recent() const
    {
        return std::make_unique<RecentFiles>(std::make_unique<QSettings>(
            m_temp.filePath(QStringLiteral("recent.conf")), QSettings::IniFormat));
    }
    QString file(const QString& name) const { return m_temp.filePath(name); }
    QTemporaryDir m_temp;
};

void RecentFilesTest::init()
{
    QFile::remove(file(QStringLiteral("recent.conf")));
    // The application's own list, in the test's configuration folder.
    QSettings(QStringLiteral("velquor"), QStringLiteral("velquor")).clear();
}

void RecentFilesTest::listAfterAddsAndRemoves_data()
{
    QTest::addColumn<QStringList>("steps"); // "+name" adds, "-name" removes
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("newest first") << strings({ "+a", "+b", "+c" }) << strings({ "c", "b", "a" });
    QTest::newRow("again moves to the front")
        << strings({ "+a", "+b", "+c", "+a" }) << strings({ "a", "c", "b" });
    QTest::newRow("eight at most")
        << strings({ "+1", "+2", "+3", "+4", "+5", "+6", "+7", "+8", "+9", "+10" })
        << strings({ "10", "9", "8", "7", "6", "5", "4", "3" });
    QTest::newRow("removed") << strings({ "+a", "+b", "-a", "-unknown" }) << strings({ "b" });
    // Relative names and dots name the same file as the full path.
    QTest::newRow("one file, several spellings")
        << strings({ "+a", "+./a", "+sub/../a" }) << strings({ "a" });
}

void RecentFilesTest::listAfterAddsAndRemoves()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    auto list = recent();
    const QString saved = QDir::currentPath();
    QDir::setCurrent(m_temp.path());
    for (const QString& step : steps) {
        const QString name = step.mid(1) + QStringLiteral(".gdt");
        if (step.startsWith(QLatin1Char('+')))
            list->add(name);
        else
            list->remove(name);
    }
    QDir::setCurrent(saved);
    QStringList full;
    for (const QString& name : expected)
        full << file(name + QStringLiteral(".gdt"));
    QCOMPARE(list->paths(), full);
}

void RecentFilesTest::menuNumbersNamesWithPathAsTip()
{
    auto list = recent();
    QWidget parent;
    QMenu* menu = list->menu(&parent);
    QCOMPARE(menu->title(), QStringLiteral("最近使ったファイル(&R)"));
    QVERIFY(!menu->isEnabled());
    list->add(file(QStringLiteral("a.gdt")));
    list->add(file(QStringLiteral("b&c.gdt")));
    QVERIFY(menu->isEnabled());
    QCOMPARE(menuItems(menu),
        (QStringList { QStringLiteral("&1 b&&c.gdt | ") + file(QStringLiteral("b&c.gdt")),
            QStringLiteral("&2 a.gdt | ") + file(QStringLiteral("a.gdt")) }));
    QString opened;
    list->open = [&opened](const QString& path) { opened = path; };
    menu->actions().at(1)->trigger();
    QCOMPARE(opened, file(QStringLiteral("a.gdt")));
}

void RecentFilesTest::instancesShareTheList()
{
    auto first = recent();
    auto second = recent();
    first->add(file(QStringLiteral("a.gdt")));
    second->add(file(QStringLiteral("b.gdt")));
    const QStringList both { file(QStringLiteral("b.gdt")), file(QStringLiteral("a.gdt")) };
    QCOMPARE(first->paths(), both);
    QCOMPARE(second->paths(), both);
}

void RecentFilesTest::openAndSaveAreRemembered()
{
    Harness h;
    QMenu* menu = fileMenuSubmenu(*h.window);
    QVERIFY(menu);
    h.dialogs.push(file(QStringLiteral("saved.gdt")));
    h.window->saveDocumentAs();
    QFile::copy(file(QStringLiteral("saved.gdt")), file(QStringLiteral("opened.gdt")));
    h.dialogs.push(file(QStringLiteral("opened.gdt")));
    h.window->openDocument();
    emit menu->aboutToShow();
    QCOMPARE(menuItems(menu),
        (QStringList { QStringLiteral("&1 opened.gdt | ") + file(QStringLiteral("opened.gdt")),
            QStringLiteral("&2 saved.gdt | ") + file(QStringLiteral("saved.gdt")) }));
    // Choosing an item opens it and puts it first.
    menu->actions().at(1)->trigger();
    QCOMPARE(
        QString::fromStdString(h.window->document().fileName()), file(QStringLiteral("saved.gdt")));
    QCOMPARE(h.window->recentFiles().paths().constFirst(), file(QStringLiteral("saved.gdt")));
    QCOMPARE(h.dialogs.errors(), QStringList());
}

void RecentFilesTest::missingFileLeavesListWithOpenError()
{
    Harness h;
    h.dialogs.push(file(QStringLiteral("gone.gdt")));
    h.window->saveDocumentAs();
    h.dialogs.push(file(QStringLiteral("kept.gdt")));
    h.window->saveDocumentAs();
    QVERIFY(QFile::remove(file(QStringLiteral("gone.gdt"))));
    h.window->document().setText(Setting::ValA, "4");
    QMenu* menu = fileMenuSubmenu(*h.window);
    emit menu->aboutToShow();
    h.dialogs.push(false); // the changes are not saved
    menu->actions().at(1)->trigger();
    QCOMPARE(h.dialogs.errors(),
        QStringList {
            QStringLiteral("ﾌｧｲﾙ %1 は開けません.").arg(file(QStringLiteral("gone.gdt"))) });
    QCOMPARE(h.window->recentFiles().paths(), QStringList { file(QStringLiteral("kept.gdt")) });
    // The document is as it was.
    QCOMPARE(h.window->document().settings().valA, std::string("4"));
    QCOMPARE(
        QString::fromStdString(h.window->document().fileName()), file(QStringLiteral("kept.gdt")));
}

void RecentFilesTest::statusTipShowsInStatusBarAndGoes()
{
    Harness h;
    h.window->m_coordinatesLabel->setText(QStringLiteral("x = 1  y = 2"));
    const QString path = file(QStringLiteral("a.gdt"));
    for (const QString& tip : { path, path, QString(), QString() }) {
        QStatusTipEvent event(tip);
        QApplication::sendEvent(h.window.get(), &event);
        QCOMPARE(h.window->m_coordinatesLabel->text(),
            tip.isEmpty() ? QStringLiteral("x = 1  y = 2") : path);
    }
}

std::unique_ptr<QObject> makeRecentFilesTest()
{
    return std::make_unique<RecentFilesTest>();
}

#include "recent_files_test.moc"
