#pragma once

#include <QImage>
#include <cstdint>
#include <string>

namespace velquor {

class QImageSurface;

// Row stride of a 24-bit picture: ((24 W + 31) div 32) x 4 bytes.
std::int64_t pictureRowStride(int width);

// The plot picture: a 24-bit device-independent bitmap of the image, i.e. the 40-byte
// information header (width, positive height, 1 plane, 24 bits, no compression, image size,
// resolutions and colour counts 0, little-endian) followed by the rows bottom row first,
// each W pixels of blue, green, red padded with zero bytes to the row stride.
std::string plotPicture(const QImage& image);

// The plot picture of the back surface as it stands; the surface's canvas is released
// afterwards, as after every use of the canvas.
std::string plotPicture(QImageSurface& surface);

// The bitmap file: the 14-byte file header ("BM", file size 54 + image size, two reserved
// zeros, pixel offset 54) followed by the plot picture.
std::string bitmapFileBytes(const QImage& image);

// Writes the bitmap file of the surface to path, replacing an existing file atomically.
// Throws Error("ﾌｧｲﾙ %s を作成できません") with the path when the file cannot be written.
void writeBitmapFile(const std::string& path, QImageSurface& surface);

// The PNG file of the image: the same pixels, 8 bits per colour, compressed without loss.
std::string pngFileBytes(const QImage& image);

// Writes the PNG file of the surface to path as writeBitmapFile writes the bitmap file, with
// the same message when the file cannot be written.
void writePngFile(const std::string& path, QImageSurface& surface);

} // namespace velquor
