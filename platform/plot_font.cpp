#include "platform/plot_font.h"

namespace velquor {

QFont plotFont()
{
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
        return true;
    }();
    (void)substituted;
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(9);
    font.setStyleStrategy(QFont::NoAntialias);
    // Light (vertical) hinting, fixed: left to the default, Qt drops hinting whenever the
    // screens are scaled (QT_SCALE_FACTOR, a high-DPI setting), and the glyphs of the picture
    // would change with the screen. This is what the default gives at a scale of 1 with the
    // usual font configuration, so pictures keep their pixels.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

} // namespace velquor
