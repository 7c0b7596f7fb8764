#include "error_box.h"

namespace velquor {

QString errorBoxText(const QString& message)
{
    if (message.isEmpty())
        return message;
    // A trailing surrogate pair is one character above the ASCII range either way.
    const QChar last = message.back();
    if (last.unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

} // namespace velquor
