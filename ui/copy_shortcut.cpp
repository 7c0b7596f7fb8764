#include "ui/copy_shortcut.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace velquor {

CopyShortcutGuard::CopyShortcutGuard(QWidget* window, QAction* copyAction)
    : QObject(window)
    , m_window(window)
    , m_copyAction(copyAction)
{
    // The override request goes to the focused widget, which accepts it before any filter of
    // its own window could see it: only an application filter comes first.
    QCoreApplication::instance()->installEventFilter(this);
}

bool CopyShortcutGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != m_window || !m_copyAction->isEnabled())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (QKeySequence(key->keyCombination()) != m_copyAction->shortcut())
        return false;
    // Every text widget answers the input-method query with its selection; other widgets
    // answer nothing.
    if (!widget->inputMethodQuery(Qt::ImCurrentSelection).toString().isEmpty())
        return false;
    // Left unaccepted, the request lets the shortcut run.
    event->ignore();
    return true;
}

} // namespace velquor
