#pragma once

#include <QString>

namespace velquor {

// The text the error box shows for an error's message: a "." is appended when the last
// character sorts after ".". The comparison is by Unicode code point of the last character,
// so every non-ASCII ending (all Japanese messages) gets the full stop, and texts ending in
// ".", "-", ",", "!", a blank or a quote do not. An empty text stays empty.
QString errorBoxText(const QString& message);

} // namespace velquor
