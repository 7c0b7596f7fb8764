#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QMenu;
class QSettings;
class QWidget;

namespace velquor {

// The documents last opened or saved, newest first, kept in the user's settings (shared by
// every running instance: each change reads the list afresh before writing it), and the
// submenu "最近使ったファイル(&R)" that lists them as "&1 name.gdt" with the full path as status
// tip.
class RecentFiles : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxFiles = 8;
    static constexpr const char* MenuTitle = "最近使ったファイル(&R)";

    // settings: where the list lives (the application passes the desktop's configuration
    // file, tests one of their own).
    RecentFiles(std::unique_ptr<QSettings> settings, QObject* parent = nullptr);
    ~RecentFiles() override;

    QStringList paths() const;
    // Puts path (made absolute) first, removing it further down and dropping the ninth.
    void add(const QString& path);
    void remove(const QString& path);

    // The submenu, made once and refilled from the settings each time it is about to show and
    // after every change here. Disabled while the list is empty.
    QMenu* menu(QWidget* parent);
    // Called with the full path of the item chosen.
    std::function<void(const QString& path)> open;

private:
    void store(const QStringList& paths);
    void refillMenu();
    std::unique_ptr<QSettings> m_settings;
    QMenu* m_menu = nullptr;
};

} // namespace velquor
