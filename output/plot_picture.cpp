#include "output/plot_picture.h"

#include "calc/error.h"
#include "document/atomic_file.h"
#include "platform/qimage_surface.h"

#include <QBuffer>

namespace velquor {

namespace {

    constexpr int FileHeaderSize = 14;
    constexpr int InfoHeaderSize = 40;

    void put16(std::string& out, std::uint32_t value)
    {
        out.push_back(char(value & 0xFF));
        out.push_back(char((value >> 8) & 0xFF));
    }

    void put32(std::string& out, std::uint32_t value)
    {
        put16(out, value & 0xFFFF);
        put16(out, value >> 16);
    }

    std::uint32_t imageSize(const QImage& image)
    {
        return std::uint32_t(pictureRowStride(image.width()) * image.height());
    }

    void appendInfoHeader(std::string& out, const QImage& image)
    {
        put32(out, InfoHeaderSize);
        put32(out, std::uint32_t(image.width()));
        put32(out, std::uint32_t(image.height())); // positive: bottom row first
        put16(out, 1); // planes
        put16(out, 24); // bits per pixel
        put32(out, 0); // no compression
        put32(out, imageSize(image));
        put32(out, 0); // horizontal resolution
        put32(out, 0); // vertical resolution
        put32(out, 0); // colours used
        put32(out, 0); // important colours
    }

    void appendRows(std::string& out, const QImage& source)
    {
        QImage image = source.format() == QImage::Format_RGB32
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
        std::int64_t stride = pictureRowStride(image.width());
        std::int64_t padding = stride - 3 * std::int64_t(image.width());
        for (int y = image.height() - 1; y >= 0; --y) {
            auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                out.push_back(char(qBlue(row[x])));
                out.push_back(char(qGreen(row[x])));
                out.push_back(char(qRed(row[x])));
            }
            out.append(std::size_t(padding), '\0');
        }
    }

} // namespace

std::int64_t pictureRowStride(int width)
{
    return (24 * std::int64_t(width) + 31) / 32 * 4;
}

std::string plotPicture(const QImage& image)
{
    std::string out;
    out.reserve(InfoHeaderSize + imageSize(image));
    appendInfoHeader(out, image);
    appendRows(out, image);
    return out;
}

std::string plotPicture(QImageSurface& surface)
{
    std::string picture = plotPicture(surface.image());
    surface.canvas().release();
    return picture;
}

std::string bitmapFileBytes(const QImage& image)
{
    std::string out;
    out.reserve(FileHeaderSize + InfoHeaderSize + imageSize(image));
    out.append("BM");
    put32(out, FileHeaderSize + InfoHeaderSize + imageSize(image));
    put16(out, 0);
    put16(out, 0);
    put32(out, FileHeaderSize + InfoHeaderSize);
    out.append(plotPicture(image));
    return out;
}

void writeBitmapFile(const std::string& path, QImageSurface& surface)
{
    std::string bytes = bitmapFileBytes(surface.image());
    surface.canvas().release();
    writeFileAtomically(path, bytes);
}

std::string pngFileBytes(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return std::string(png.constData(), std::size_t(png.size()));
}

void writePngFile(const std::string& path, QImageSurface& surface)
{
    std::string bytes = pngFileBytes(surface.image());
    surface.canvas().release();
    if (bytes.empty())
        throw Error(formatMessage(CannotCreateMessage, path));
    writeFileAtomically(path, bytes);
}

} // namespace velquor
