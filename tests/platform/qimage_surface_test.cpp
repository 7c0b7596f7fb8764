#include "platform/qimage_surface.h"

#include <QColor>
#include <climits>
#include <gtest/gtest.h>
#include <set>

namespace velquor {
namespace {

    QRgb at(const QImageSurface& surface, int x, int y)
    {
        return surface.image().pixel(x, y);
    }

    TEST(QImageSurface, PaintsPlatformColoursAsBgr)
    {
        QImageSurface surface(20, 10);
        Canvas& canvas = surface.canvas();
        canvas.setBrushColor(0x00FF8040); // blue FF, green 80, red 40
        canvas.fillRect(0, 0, 20, 10);
        EXPECT_EQ(at(surface, 19, 9), qRgb(0x40, 0x80, 0xFF));
        canvas.setPenColor(255); // red
        canvas.moveTo(0, 5);
        canvas.lineTo(20, 5);
        EXPECT_EQ(at(surface, 0, 5), qRgb(255, 0, 0));
        EXPECT_EQ(at(surface, 19, 5), qRgb(255, 0, 0));
        EXPECT_EQ(at(surface, 0, 4), qRgb(0x40, 0x80, 0xFF));
    }

    TEST(QImageSurface, LinesContinueFromTheCurrentPoint)
    {
        QImageSurface surface(10, 10);
        Canvas& canvas = surface.canvas();
        canvas.setPenColor(0xFFFFFF);
        canvas.moveTo(1, 1);
        canvas.lineTo(4, 1);
        canvas.lineTo(4, 4); // starts at (4, 1), the end point the first line left out
        EXPECT_EQ(at(surface, 4, 1), qRgb(255, 255, 255));
        EXPECT_EQ(at(surface, 4, 3), qRgb(255, 255, 255));
        EXPECT_EQ(at(surface, 4, 4), qRgb(0, 0, 0));
    }

    TEST(QImageSurface, WritesTextInAnOpaqueCellOfTheBrushColour)
    {
        QImageSurface surface(80, 40);
        Canvas& canvas = surface.canvas();
        canvas.setBrushColor(0);
        canvas.fillRect(0, 0, 80, 40);
        canvas.setPenColor(0x0000FF);
        canvas.moveTo(0, 12);
        canvas.lineTo(80, 12); // a line the cell must cover
        canvas.setBrushColor(0x00FF00);
        canvas.setFontColor(0xFFFFFF);
        canvas.textOut(10, 5, "-12");
        const QImage& image = surface.image();
        std::set<QRgb> inCell;
        int right = 10, bottom = 5;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x) {
                QRgb p = image.pixel(x, y);
                if (p == qRgb(0, 255, 0) || p == qRgb(255, 255, 255)) {
                    EXPECT_GE(x, 10);
                    EXPECT_GE(y, 5);
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                    inCell.insert(p);
                }
            }
        // The cell starts at the given top-left corner and holds only brush and font colours.
        EXPECT_EQ(image.pixel(10, 5), qRgb(0, 255, 0));
        EXPECT_EQ(inCell.size(), 2u);
        EXPECT_GE(bottom - 5, 11); // 9 points at 96 dpi: about 12 pixels of line height
        EXPECT_LE(bottom - 5, 16);
        EXPECT_GE(right - 10, 10);
        // The red line is hidden inside the cell and untouched outside it.
        EXPECT_EQ(image.pixel(right - 1, 12), qRgb(0, 255, 0));
        EXPECT_EQ(image.pixel(right, 12), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(9, 12), qRgb(255, 0, 0));
    }

    // The box of the pixels of the given colour.
    QRect boxOf(const QImage& image, QRgb colour)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == colour)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    // A surface at a high-DPI screen's device pixels draws the plot's text in a font of the
    // scaled size and pens up to the scaled widest; at a ratio of 1 pens stop at 5.
    TEST(QImageSurface, DevicePixelsScaleTheFontAndTheWidestPen)
    {
        QImageSurface plot(200, 100);
        auto drawn = [](QImageSurface& surface) {
            Canvas& canvas = surface.canvas();
            canvas.setBrushColor(0x00FF00);
            canvas.setFontColor(0xFFFFFF);
            canvas.textOut(0, 0, "-12.5");
            canvas.setPenColor(0x0000FF);
            canvas.setPenWidth(10);
            canvas.moveTo(0, 80);
            canvas.lineTo(50, 80);
        };
        drawn(plot);
        const QRect plotCell = boxOf(plot.image(), qRgb(0, 255, 0));
        EXPECT_EQ(boxOf(plot.image(), qRgb(255, 0, 0)).height(), 5);
        struct Case
        {
            double ratio;
            int penRows; // a pen of 10 on a ratio's surface
        };
        for (const Case& c : { Case { 1.5, 8 }, Case { 2, 10 }, Case { 3, 10 } }) {
            QImageSurface device(400, 200, c.ratio);
            drawn(device);
            const QRect cell = boxOf(device.image(), qRgb(0, 255, 0));
            // Glyph advances and the line height round to whole pixels in each font.
            EXPECT_NEAR(cell.height(), c.ratio * plotCell.height(), 2) << c.ratio;
            EXPECT_NEAR(cell.width(), c.ratio * plotCell.width(), 2 * c.ratio) << c.ratio;
            EXPECT_EQ(boxOf(device.image(), qRgb(255, 0, 0)).height(), c.penRows) << c.ratio;
        }
    }

    TEST(QImageSurface, IgnoresTextFarOutsideAndEmptySurfaces)
    {
        QImageSurface surface(30, 20);
        Canvas& canvas = surface.canvas();
        canvas.setBrushColor(0xFFFFFF);
        for (auto [x, y] : { std::pair { INT_MAX, 0 }, { INT_MIN, 0 }, { 0, INT_MAX },
                 { 0, INT_MIN }, { INT_MIN, INT_MIN }, { 30, 0 }, { 0, 20 } })
            canvas.textOut(x, y, "123");
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(at(surface, x, y), qRgb(0, 0, 0));

        QImageSurface empty;
        int presents = 0;
        empty.setPresentCallback([&] { ++presents; });
        empty.canvas().fillRect(0, 0, 10, 10);
        empty.canvas().moveTo(0, 0);
        empty.canvas().lineTo(10, 10);
        empty.canvas().textOut(0, 0, "x");
        empty.present();
        EXPECT_EQ(presents, 0);
    }

    TEST(QImageSurface, ResizeKeepsTheSharedPixelsAndClearsTheRest)
    {
        QImageSurface surface(10, 10);
        surface.canvas().setBrushColor(0xFFFFFF);
        surface.canvas().fillRect(0, 0, 10, 10);
        surface.resize(20, 5);
        ASSERT_EQ(surface.width(), 20);
        ASSERT_EQ(surface.height(), 5);
        EXPECT_EQ(at(surface, 9, 4), qRgb(255, 255, 255));
        EXPECT_EQ(at(surface, 10, 0), qRgb(0, 0, 0));
        // The canvas draws on the new pixels.
        surface.canvas().fillRect(15, 0, 16, 1);
        EXPECT_EQ(at(surface, 15, 0), qRgb(255, 255, 255));
        surface.resize(0, 0);
        EXPECT_EQ(surface.width(), 0);
        surface.canvas().fillRect(0, 0, 1, 1); // nothing to draw on, and no crash
    }

    TEST(QImageSurface, PresentWaitsOneFrameOnlyWhenAskedTo)
    {
        using namespace std::chrono;
        QImageSurface surface(4, 4);
        int presents = 0;
        surface.setPresentCallback([&] { ++presents; });
        surface.setFrameInterval(milliseconds(30));

        auto start = steady_clock::now();
        surface.present();
        surface.present();
        EXPECT_EQ(presents, 2);
        EXPECT_LT(steady_clock::now() - start, milliseconds(30));

        surface.setWaitForVerticalBlank(true);
        surface.present();
        auto first = steady_clock::now();
        surface.present();
        EXPECT_GE(steady_clock::now() - first, milliseconds(29));
        EXPECT_EQ(presents, 4);
    }

} // namespace
} // namespace velquor
