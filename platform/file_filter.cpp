#include "file_filter.h"

#include <QStringList>

namespace velquor {

QString qtFileFilter(const QString& windowsFilter)
{
    // Qt reads a filter's patterns from its last brackets.
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (name.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
            filters.append(name);
        else
            filters.append(name + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace velquor
