#pragma once

#include <QObject>

class QAction;
class QWidget;

namespace velquor {

// Keeps a window's copy shortcut for its own command wherever the keyboard focus is in that
// window. Text boxes take Ctrl+C for themselves (and copy nothing when nothing is selected);
// with this guard a focused widget keeps it only while it has selected text.
class CopyShortcutGuard final : public QObject
{
public:
    // Watches the application's events for the window's lifetime (the window is the parent).
    CopyShortcutGuard(QWidget* window, QAction* copyAction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QAction* m_copyAction;
};

} // namespace velquor
