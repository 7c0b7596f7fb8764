#pragma once

#include <QColor>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <string>

namespace velquor {

// A document colour 0x00BBGGRR as a QColor, and back.
inline QColor toQColor(std::int32_t color)
{
    return QColor(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
}
inline std::int32_t fromQColor(const QColor& color)
{
    return static_cast<std::int32_t>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

inline QString toQString(const std::string& text)
{
    return QString::fromStdString(text);
}
inline std::string toStdString(const QString& text)
{
    return text.toStdString();
}

// The user's decimal separator for the strict conversions; "." when the locale's is not one
// ASCII character.
inline char localeDecimalPoint()
{
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80)
        return static_cast<char>(point.at(0).unicode());
    return '.';
}

} // namespace velquor
