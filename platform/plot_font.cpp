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
    return font;
}

} // namespace velquor
