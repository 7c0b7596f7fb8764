#pragma once

#include <QString>

namespace velquor {

// A file dialog's filter in Qt's form from the pairs "description|pattern|description|pattern",
// keeping the descriptions' texts: a description that already ends in its own pattern in
// brackets is kept as it is, any other gets the pattern appended in brackets.
QString qtFileFilter(const QString& windowsFilter);

} // namespace velquor
