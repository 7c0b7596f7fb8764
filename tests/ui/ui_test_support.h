#pragma once

#include "document/document.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QString>
#include <QTimer>
#include <functional>

namespace velquor::testing {

// A graph entry of the given kind and name, live and visible.
inline GraphEntry graph(const std::string& name, std::int32_t kind = 0)
{
    GraphEntry entry;
    entry.name = name;
    entry.formula1 = name;
    entry.kind = kind;
    entry.visible = kind < 10 ? -1 : 0;
    entry.color = 0xffffff;
    entry.width = 1;
    entry.divisions = 100;
    entry.rangeFrom = "0";
    entry.rangeTo = "6.28";
    return entry;
}

// Writes a file of lines ending in CR LF.
inline void writeLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (const QString& line : lines)
        file.write(line.toUtf8() + "\r\n");
}

// A minimal document file: the settings given, then "[Count]", "[END]" and the entries'
// blocks (name, visible, kind, colour, width, formula1, formula2, divisions, from, to).
inline QStringList documentLines(const QStringList& settings, const QList<QStringList>& blocks)
{
    QStringList lines
        = { QStringLiteral("Velquor 1.00 Alpha Version Data File"), QStringLiteral("1.00") };
    lines += settings;
    lines << QStringLiteral("[Count]") << QString::number(blocks.size()) << QStringLiteral("[END]");
    for (const QStringList& block : blocks) {
        lines += block;
        for (int i = 0; i < 8; ++i)
            lines << QString();
    }
    return lines;
}

// Sends a mouse event with the given buttons held (QTest's own helpers do not carry them).
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
    Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(
        type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

// Runs action once the next modal dialog's event loop is running.
inline void whenModal(std::function<void()> action)
{
    QTimer::singleShot(0, qApp, std::move(action));
}

} // namespace velquor::testing
