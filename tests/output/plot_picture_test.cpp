#include "calc/error.h"
#include "output/plot_picture.h"
#include "platform/qimage_surface.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace velquor {
namespace {

    std::uint32_t u32(const std::string& bytes, std::size_t at)
    {
        return std::uint32_t(std::uint8_t(bytes[at]))
            | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8
            | std::uint32_t(std::uint8_t(bytes[at + 2])) << 16
            | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
    }
    std::uint32_t u16(const std::string& bytes, std::size_t at)
    {
        return std::uint32_t(std::uint8_t(bytes[at]))
            | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8;
    }

    TEST(PlotPicture, HeadersAndSizesFollowTheBitmapFormat)
    {
        struct Row
        {
            int width, height;
            std::uint32_t stride;
            const char* why;
        };
        const Row rows[] = {
            { 445, 364, 1336, "the default plot: 1335 bytes of pixels, 1 byte of padding" },
            { 1, 1, 4, "one pixel: 3 bytes and 1 of padding" },
            { 2, 3, 8, "6 bytes padded by 2" },
            { 3, 2, 12, "9 bytes padded by 3" },
            { 4, 2, 12, "12 bytes, no padding" },
            { 1920, 1080, 5760, "full HD" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.why);
            QImageSurface surface(row.width, row.height);
            std::string file = bitmapFileBytes(surface.image());
            std::uint32_t imageSize = row.stride * std::uint32_t(row.height);
            ASSERT_EQ(file.size(), 54u + imageSize);
            EXPECT_EQ(file.substr(0, 2), "BM");
            EXPECT_EQ(u32(file, 2), 54u + imageSize); // file size
            EXPECT_EQ(u32(file, 6), 0u); // both reserved words
            EXPECT_EQ(u32(file, 10), 54u); // pixel offset
            EXPECT_EQ(u32(file, 14), 40u); // information header size
            EXPECT_EQ(u32(file, 18), std::uint32_t(row.width));
            EXPECT_EQ(u32(file, 22), std::uint32_t(row.height)); // positive: bottom row first
            EXPECT_EQ(u16(file, 26), 1u); // planes
            EXPECT_EQ(u16(file, 28), 24u); // bits per pixel
            EXPECT_EQ(u32(file, 30), 0u); // no compression
            EXPECT_EQ(u32(file, 34), imageSize);
            for (std::size_t at = 38; at < 54; at += 4)
                EXPECT_EQ(u32(file, at), 0u) << "resolution and colour counts at " << at;
            EXPECT_EQ(pictureRowStride(row.width), std::int64_t(row.stride));
            // The clipboard's picture is the same without the file header.
            EXPECT_EQ(plotPicture(surface.image()), file.substr(14));
        }
    }

    TEST(PlotPicture, StoresRowsBottomUpAsBlueGreenRedWithZeroPadding)
    {
        QImageSurface surface(3, 2);
        Canvas& canvas = surface.canvas();
        canvas.setBrushColor(0xFFFFFF); // padding must stay zero against a white picture
        canvas.fillRect(0, 0, 3, 2);
        canvas.setBrushColor(0x00332211); // blue 33, green 22, red 11
        canvas.fillRect(0, 0, 1, 1); // top-left
        canvas.setBrushColor(0x00000080); // red 80
        canvas.fillRect(2, 1, 3, 2); // bottom-right
        std::string bits = plotPicture(surface).substr(40);
        const std::string expected("\xFF\xFF\xFF"
                                   "\xFF\xFF\xFF"
                                   "\x00\x00\x80"
                                   "\x00\x00\x00" // bottom row, then 3 bytes of padding
                                   "\x33\x22\x11"
                                   "\xFF\xFF\xFF"
                                   "\xFF\xFF\xFF"
                                   "\x00\x00\x00", // top row
            24);
        EXPECT_EQ(bits, expected);
    }

    TEST(PlotPicture, WritesTheBitmapFileAndReportsAFileThatCannotBeCreated)
    {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QImageSurface surface(445, 364);
        std::string path = dir.filePath(QStringLiteral("plot.png")).toStdString();
        writeBitmapFile(path, surface); // the name does not change the format
        std::ifstream in(path, std::ios::binary);
        std::string written((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(written.size(), 486358u);
        EXPECT_EQ(written, bitmapFileBytes(surface.image()));

        std::string missing = dir.filePath(QStringLiteral("no/such/folder/x.bmp")).toStdString();
        try {
            writeBitmapFile(missing, surface);
            FAIL() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "ﾌｧｲﾙ " + missing + " を作成できません");
        }
    }

} // namespace
} // namespace velquor
