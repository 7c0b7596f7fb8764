#include "recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace velquor {

namespace {
    const QString ListKey = QStringLiteral("recentFiles");

    QString absolute(const QString& path)
    {
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }
} // namespace

RecentFiles::RecentFiles(std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent)
    , m_settings(std::move(settings))
{
}

RecentFiles::~RecentFiles() = default;

QStringList RecentFiles::paths() const
{
    // Another instance may have changed the list since it was last read.
    m_settings->sync();
    QStringList list = m_settings->value(ListKey).toStringList();
    list.removeAll(QString());
    list.removeDuplicates();
    return list.mid(0, MaxFiles);
}

void RecentFiles::add(const QString& path)
{
    const QString full = absolute(path);
    QStringList list = paths();
    list.removeAll(full);
    list.prepend(full);
    store(list.mid(0, MaxFiles));
}

void RecentFiles::remove(const QString& path)
{
    QStringList list = paths();
    if (list.removeAll(absolute(path)) > 0)
        store(list);
}

void RecentFiles::store(const QStringList& paths)
{
    // An empty list would be written as "@Invalid()": the key goes instead.
    if (paths.isEmpty())
        m_settings->remove(ListKey);
    else
        m_settings->setValue(ListKey, paths);
    m_settings->sync(); // at once, so that an instance started next sees it
    refillMenu();
}

QMenu* RecentFiles::menu(QWidget* parent)
{
    if (!m_menu) {
        m_menu = new QMenu(QString::fromUtf8(MenuTitle), parent);
        m_menu->setObjectName(QStringLiteral("recentFilesMenu"));
        connect(m_menu, &QMenu::aboutToShow, this, &RecentFiles::refillMenu);
        refillMenu();
    }
    return m_menu;
}

void RecentFiles::refillMenu()
{
    if (!m_menu)
        return;
    // Deleted later: the item whose choice opened a file and so refilled the menu is still
    // delivering its signal.
    for (QAction* action : m_menu->actions()) {
        m_menu->removeAction(action);
        action->deleteLater();
    }
    const QStringList list = paths();
    for (int i = 0; i < list.size(); ++i) {
        const QString& path = list.at(i);
        // An "&" of the name would be read as a mnemonic: doubled, it shows as itself.
        QString name = QFileInfo(path).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        action->setStatusTip(QDir::toNativeSeparators(path));
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] {
            if (open)
                open(path);
        });
    }
    m_menu->setEnabled(!list.isEmpty());
}

} // namespace velquor
