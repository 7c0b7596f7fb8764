#include "display_modes.h"

#include "calc/error.h"
#include "calc/number_text.h"

#include <algorithm>
#include <array>

namespace velquor {

namespace {

    // The sizes the emulated display offers, in the order they are listed.
    constexpr std::array<QSize, 10> CommonSizes { QSize(640, 480), QSize(800, 600),
        QSize(1024, 768), QSize(1152, 864), QSize(1280, 720), QSize(1280, 1024), QSize(1600, 1200),
        QSize(1920, 1080), QSize(2560, 1440), QSize(3840, 2160) };
    constexpr std::array<int, 4> Depths { 8, 16, 24, 32 };

    std::string fill(std::string pattern, std::initializer_list<int> values)
    {
        for (int value : values) {
            const auto at = pattern.find('%');
            pattern.replace(at, 2, std::to_string(value));
        }
        return pattern;
    }

    bool sameRatio(const DisplayMode& a, const DisplayMode& b)
    {
        return std::int64_t(a.width) * b.height == std::int64_t(b.width) * a.height;
    }

    std::int64_t area(const DisplayMode& mode)
    {
        return std::int64_t(mode.width) * mode.height;
    }

} // namespace

std::vector<DisplayMode> listDisplayModes(QSize screenSize)
{
    std::vector<DisplayMode> modes;
    for (const QSize& size : CommonSizes) {
        if (size.width() > screenSize.width() || size.height() > screenSize.height())
            continue;
        for (int bits : Depths)
            modes.push_back({ size.width(), size.height(), bits });
    }
    return modes;
}

QString modeCaption(const DisplayMode& mode)
{
    return QStringLiteral("%1x%2x%3").arg(mode.width).arg(mode.height).arg(mode.bits);
}

DisplayMode parseModeCaption(const QString& caption)
{
    // Width before the first "x", height before the next one, bits after it; a missing "x"
    // leaves an empty part, which the strict conversion rejects.
    const std::string text = caption.toStdString();
    const auto first = text.find('x');
    const std::string widthText
        = first == std::string::npos ? std::string() : text.substr(0, first);
    const std::string rest = first == std::string::npos ? text : text.substr(first + 1);
    const auto second = rest.find('x');
    const std::string heightText
        = second == std::string::npos ? std::string() : rest.substr(0, second);
    const std::string bitsText = second == std::string::npos ? rest : rest.substr(second + 1);
    DisplayMode mode;
    mode.width = StrToInt(widthText);
    mode.height = StrToInt(heightText);
    mode.bits = StrToInt(bitsText);
    return mode;
}

void DisplaySettings::setBits(int bits)
{
    if (std::find(Depths.begin(), Depths.end(), bits) == Depths.end())
        throw Error("8, 16, 24, 32 のいずれかの値でなければなりません");
    m_mode.bits = bits;
}

DisplayMode substituteMode(const std::vector<DisplayMode>& modes, const DisplayMode& requested)
{
    if (std::find(modes.begin(), modes.end(), requested) != modes.end())
        return requested;
    const DisplayMode* best = nullptr;
    bool bestSameRatio = false;
    for (const DisplayMode& mode : modes) {
        if (mode.bits != requested.bits || mode.width < requested.width
            || mode.height < requested.height)
            continue;
        const bool ratio = sameRatio(mode, requested);
        if (!best || (ratio && !bestSameRatio)
            || (ratio == bestSameRatio && area(mode) < area(*best))) {
            best = &mode;
            bestSameRatio = ratio;
        }
    }
    if (!best)
        throw Error(fill("ディスプレイモードを変更できません (%dx%d %dbit)",
            { requested.width, requested.height, requested.bits }));
    return *best;
}

QImage reduceToDepth(const QImage& picture, int bits)
{
    QImage image = picture.convertToFormat(QImage::Format_RGB32);
    if (bits == 16)
        return image.convertToFormat(QImage::Format_RGB16).convertToFormat(QImage::Format_RGB32);
    if (bits != 8)
        return image;
    // 3-3-2: each channel is cut to its top bits and spread back over 0..255, so black and
    // white stay exact and every reduced colour is one of the 256 fixed palette entries.
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(row[x]) >> 5;
            const int g = qGreen(row[x]) >> 5;
            const int b = qBlue(row[x]) >> 6;
            row[x] = qRgb(r * 255 / 7, g * 255 / 7, b * 255 / 3);
        }
    }
    return image;
}

} // namespace velquor
