#pragma once

#include <QFont>

namespace velquor {

// The plot canvas's default font: "ＭＳ Ｐゴシック" at 9 points, drawn by IPAPGothic through a font
// substitution. Without antialiasing, as the bitmap glyphs of that font show on a plot, so a
// text cell holds only the font colour and the brush colour. Its hinting is fixed, so the glyphs
// are the same whatever the screens' scale. Needs a QGuiApplication.
QFont plotFont();

} // namespace velquor
