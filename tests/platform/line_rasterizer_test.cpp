#include "platform/line_rasterizer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

namespace velquor {
namespace {

    using Pixel = std::pair<int, int>;
    using PixelSet = std::set<Pixel>;

    // A raster with a known background, read back as the set of painted pixels.
    struct Raster
    {
        int width, height;
        std::vector<std::uint32_t> pixels;
        Raster(int w, int h)
            : width(w)
            , height(h)
            , pixels(std::size_t(w) * std::size_t(h), 0)
        {
        }
        PixelBuffer buffer() { return { pixels.data(), width, height, width }; }
        PixelSet painted() const
        {
            PixelSet set;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] != 0)
                        set.insert({ x, y });
            return set;
        }
    };

    PixelSet drawn(int w, int h, int x0, int y0, int x1, int y1, int penWidth = 1)
    {
        Raster raster(w, h);
        rasterizeLine(raster.buffer(), x0, y0, x1, y1, 0xFFFFFFFF, penWidth);
        return raster.painted();
    }

    // The classic error-term loop, unclipped: every pixel from the start, end point left out.
    PixelSet classicBresenham(int x0, int y0, int x1, int y1)
    {
        int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
        int sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
        bool xMajor = dx >= dy;
        int a = xMajor ? dx : dy, b = xMajor ? dy : dx;
        int x = x0, y = y0, error = 2 * b - a;
        PixelSet set;
        for (int i = 0; i < a; ++i) {
            set.insert({ x, y });
            if (error > 0) {
                (xMajor ? y : x) += xMajor ? sy : sx;
                error -= 2 * a;
            }
            error += 2 * b;
            (xMajor ? x : y) += xMajor ? sx : sy;
        }
        return set;
    }

    // The same walk evaluated in closed form only where it crosses the raster: for each
    // column (or row) of the major axis, the step index and its minor coordinate in 128 bits.
    PixelSet closedFormOnRaster(
        int w, int h, long long x0, long long y0, long long x1, long long y1)
    {
        __extension__ typedef __int128 Wide;
        long long dx = x1 - x0, dy = y1 - y0;
        bool xMajor = std::llabs(dx) >= std::llabs(dy);
        long long a = std::llabs(xMajor ? dx : dy), b = std::llabs(xMajor ? dy : dx);
        long long majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
        int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1,
            minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
        PixelSet set;
        for (long long major = 0; major < (xMajor ? w : h); ++major) {
            long long i = (major - majorStart) * majorSign;
            if (i < 0 || i >= a)
                continue;
            long long m = static_cast<long long>((Wide(2) * i * b + a - 1) / (Wide(2) * a));
            long long minor = minorStart + minorSign * m;
            long long x = xMajor ? major : minor, y = xMajor ? minor : major;
            if (x >= 0 && x < w && y >= 0 && y < h)
                set.insert({ int(x), int(y) });
        }
        return set;
    }

    TEST(LineRasterizer, FollowsTheClassicWalkInEveryOctant)
    {
        struct Row
        {
            int x0, y0, x1, y1;
        };
        const Row rows[] = {
            { 10, 10, 30, 17 }, { 10, 10, 17, 30 }, { 30, 10, 10, 17 }, { 17, 10, 10, 30 },
            { 10, 30, 30, 23 }, { 10, 30, 17, 10 }, { 30, 30, 10, 23 }, { 17, 30, 10, 10 },
            { 5, 5, 25, 5 }, // horizontal
            { 5, 25, 5, 5 }, // vertical, upwards
            { 5, 5, 25, 25 }, // diagonal
            { 5, 5, 9, 7 }, // exact halves: ties go towards the start
            { 3, 3, 4, 3 }, // one pixel
        };
        for (const Row& r : rows) {
            SCOPED_TRACE(
                testing::Message() << r.x0 << "," << r.y0 << " -> " << r.x1 << "," << r.y1);
            EXPECT_EQ(
                drawn(40, 40, r.x0, r.y0, r.x1, r.y1), classicBresenham(r.x0, r.y0, r.x1, r.y1));
        }
    }

    TEST(LineRasterizer, LeavesOutTheEndPointAndPaintsNothingForZeroLength)
    {
        EXPECT_EQ(drawn(10, 10, 2, 3, 5, 3), (PixelSet { { 2, 3 }, { 3, 3 }, { 4, 3 } }));
        EXPECT_EQ(drawn(10, 10, 5, 3, 2, 3), (PixelSet { { 5, 3 }, { 4, 3 }, { 3, 3 } }));
        EXPECT_TRUE(drawn(10, 10, 4, 4, 4, 4).empty());
        EXPECT_TRUE(drawn(10, 10, 4, 4, 4, 4, 5).empty());
        // A grid line from (col, 0) to (col, H) covers the whole column of an H-high surface.
        EXPECT_EQ(drawn(4, 3, 1, 0, 1, 3), (PixelSet { { 1, 0 }, { 1, 1 }, { 1, 2 } }));
    }

    TEST(LineRasterizer, ClipsFarCoordinatesToTheUnclippedWalk)
    {
        struct Row
        {
            int x0, y0, x1, y1;
            const char* why;
        };
        const Row rows[] = {
            { INT_MIN, INT_MIN, INT_MAX, INT_MAX, "corner to corner of the 32-bit plane" },
            { INT_MAX, INT_MIN, INT_MIN, INT_MAX, "the other diagonal, backwards" },
            { -2000000000, 10, 2000000000, 30, "nearly horizontal across" },
            { 10, -2000000000, 30, 2000000000, "nearly vertical across" },
            { -1000000000, 500000000, 300000000, -700000000, "steep, crossing a corner region" },
            { 20, 15, INT_MAX, 16, "starts on the surface, ends far right" },
            { 20, 15, -2147483000, -1999999999, "starts on the surface, ends far up-left" },
            { INT_MIN, 20, INT_MIN + 5, 20, "entirely left of the surface" },
            { -100, -60, 100, 140, "diagonal through the surface" },
            { 63, -1, 64, 1000, "almost vertical at the right edge" },
        };
        for (const Row& r : rows) {
            SCOPED_TRACE(r.why);
            EXPECT_EQ(drawn(64, 48, r.x0, r.y0, r.x1, r.y1),
                closedFormOnRaster(64, 48, r.x0, r.y0, r.x1, r.y1));
        }
        // The closed form agrees with the classic loop where both can run.
        EXPECT_EQ(closedFormOnRaster(64, 48, -100, -60, 100, 140), [] {
            PixelSet on;
            for (const Pixel& p : classicBresenham(-100, -60, 100, 140))
                if (p.first >= 0 && p.first < 64 && p.second >= 0 && p.second < 48)
                    on.insert(p);
            return on;
        }());
    }

    TEST(LineRasterizer, WidePensStampARoundPenAlongTheSamePath)
    {
        // Width 3: a 3 x 3 pen on every centre 10..19 of the row 10.
        PixelSet three;
        for (int x = 9; x <= 20; ++x)
            for (int y = 9; y <= 11; ++y)
                three.insert({ x, y });
        EXPECT_EQ(drawn(40, 40, 10, 10, 20, 10, 3), three);

        // Width 5 on one centre: the 5 x 5 square without its four corners.
        PixelSet five = drawn(40, 40, 10, 10, 11, 10, 5);
        EXPECT_EQ(five.size(), 21u);
        EXPECT_FALSE(five.count({ 8, 8 }));
        EXPECT_TRUE(five.count({ 12, 11 }));

        // Width 2 on one centre: the centre and its right and lower neighbours.
        EXPECT_EQ(drawn(40, 40, 10, 10, 11, 10, 2),
            (PixelSet { { 10, 10 }, { 11, 10 }, { 10, 11 }, { 11, 11 } }));

        // Out-of-range widths are clamped.
        EXPECT_EQ(drawn(40, 40, 10, 10, 20, 13, 0), drawn(40, 40, 10, 10, 20, 13, 1));
        EXPECT_EQ(drawn(40, 40, 10, 10, 20, 13, -7), drawn(40, 40, 10, 10, 20, 13, 1));
        EXPECT_EQ(drawn(40, 40, 10, 10, 20, 13, 99), drawn(40, 40, 10, 10, 20, 13, 5));

        // Centres just off the surface still paint the part of the pen on it.
        PixelSet edge = drawn(40, 40, 5, -1, 10, -1, 3);
        EXPECT_EQ(edge.size(), 7u); // row 0, columns 4..10
        // A far line with a wide pen is clipped like a thin one: the same rows are painted.
        EXPECT_EQ(drawn(40, 40, INT_MIN, 20, INT_MAX, 20, 3).size(), 3u * 40u);
    }

    // Lines wholly on the raster take a walk of their own; lines near and across the edges the
    // clipped one. Both paint the classic walk, thin or with the pen stamped on every step.
    // Horizontal and vertical lines of wide pens (grid lines at a device's pixels) paint their
    // stamps' union in runs: exactly the pixels of one stamp per step of the walk, on and
    // across every edge, for every width up to the widest, in both directions.
    TEST(LineRasterizer, StraightWidePensPaintEveryStampOfTheWalk)
    {
        const auto stamps = [](int x0, int y0, int x1, int y1, int width) {
            // One diagonal step paints one stamp, by the stamping path.
            Raster raster(40, 30);
            const int dx = x1 > x0 ? 1 : x1 < x0 ? -1 : 0;
            const int dy = y1 > y0 ? 1 : y1 < y0 ? -1 : 0;
            for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy)
                rasterizeLine(raster.buffer(), x, y, x + 1, y + 1, 0xFFFFFFFF, width, 16);
            return raster.painted();
        };
        struct Line
        {
            int x0, y0, x1, y1;
        };
        for (int width = 2; width <= 16; ++width)
            for (const Line& l : { Line { 3, 10, 30, 10 }, Line { 30, 10, 3, 10 },
                     Line { 12, 2, 12, 25 }, Line { 12, 25, 12, 2 }, Line { -9, 1, 50, 1 },
                     Line { 38, -8, 38, 40 }, Line { 5, 29, 45, 29 }, Line { -20, 5, -3, 5 } }) {
                Raster raster(40, 30);
                rasterizeLine(raster.buffer(), l.x0, l.y0, l.x1, l.y1, 0xFFFFFFFF, width, 16);
                EXPECT_EQ(raster.painted(), stamps(l.x0, l.y0, l.x1, l.y1, width))
                    << width << ": " << l.x0 << " " << l.y0 << " " << l.x1 << " " << l.y1;
            }
    }

    // Slanted lines of wide pens (curves at a device's pixels) paint their stamps' union a run
    // per column or row: exactly the pixels of the round pen centred on every step of the
    // classic walk, in every octant, wholly on the raster and across each edge.
    TEST(LineRasterizer, SlantedWidePensPaintEveryStampOfTheWalk)
    {
        const auto stamps = [](int x0, int y0, int x1, int y1, int width) {
            const int lo = -(width - 1) / 2, hi = width / 2;
            PixelSet set;
            for (const Pixel& c : classicBresenham(x0, y0, x1, y1))
                for (int oy = lo; oy <= hi; ++oy)
                    for (int ox = lo; ox <= hi; ++ox) {
                        const int cx = 2 * ox - (lo + hi), cy = 2 * oy - (lo + hi);
                        const int x = c.first + ox, y = c.second + oy;
                        if (cx * cx + cy * cy <= width * width && x >= 0 && x < 40 && y >= 0
                            && y < 30)
                            set.insert({ x, y });
                    }
            return set;
        };
        struct Line
        {
            int x0, y0, x1, y1;
        };
        for (int width = 2; width <= 16; ++width)
            for (const Line& l : { Line { 5, 8, 33, 19 }, Line { 33, 19, 5, 8 },
                     Line { 8, 3, 17, 26 }, Line { 17, 26, 8, 3 }, Line { 5, 25, 30, 6 },
                     Line { 30, 6, 5, 25 }, Line { 20, 20, 21, 21 }, Line { 10, 10, 30, 30 },
                     Line { 12, 12, 14, 13 }, Line { -15, -4, 50, 37 }, Line { 45, 2, -6, 27 },
                     Line { 3, -20, 9, 45 }, Line { 37, 35, 39, -9 }, Line { -30, 3, -2, 14 },
                     Line { 1, 28, 60, 31 } }) {
                Raster raster(40, 30);
                rasterizeLine(raster.buffer(), l.x0, l.y0, l.x1, l.y1, 0xFFFFFFFF, width, 16);
                EXPECT_EQ(raster.painted(), stamps(l.x0, l.y0, l.x1, l.y1, width))
                    << width << ": " << l.x0 << " " << l.y0 << " " << l.x1 << " " << l.y1;
            }
    }

    // A whole picture of a device's size is filled by another path (stores past the caches):
    // every pixel, from an unaligned start too, and nothing beyond it.
    TEST(LineRasterizer, FillsLargePicturesWhole)
    {
        for (int offset : { 0, 1, 3 }) {
            const int width = 2051;
            const int height = 2050;
            std::vector<std::uint32_t> pixels(std::size_t(width) * height + offset + 1, 7);
            PixelBuffer buffer { pixels.data() + offset, width, height, width };
            fillPixels(buffer, -5, -5, width + 5, height + 5, 0xFF123456);
            EXPECT_EQ(std::count(pixels.begin() + offset, pixels.end() - 1, 0xFF123456u),
                std::ptrdiff_t(width) * height)
                << offset;
            EXPECT_EQ(pixels.back(), 7u);
            if (offset > 0) {
                EXPECT_EQ(pixels.front(), 7u);
            }
        }
    }

    TEST(LineRasterizer, LinesOnAndAcrossTheEdgesPaintTheSameWalk)
    {
        std::vector<PixelSet> pens(6); // the pen's offsets, read from a one-step line
        for (int width = 1; width <= 5; ++width) {
            for (const Pixel& p : drawn(40, 40, 20, 20, 21, 20, width))
                pens[std::size_t(width)].insert({ p.first - 20, p.second - 20 });
        }
        std::srand(20261208);
        const auto coordinate = [](int size) { return std::rand() % (size + 12) - 6; };
        for (int n = 0; n < 4000; ++n) {
            const int x0 = coordinate(48), y0 = coordinate(32);
            const int x1 = coordinate(48), y1 = coordinate(32);
            const int width = 1 + n % 5;
            PixelSet expected;
            for (const Pixel& centre : classicBresenham(x0, y0, x1, y1)) {
                for (const Pixel& offset : pens[std::size_t(width)]) {
                    const int x = centre.first + offset.first, y = centre.second + offset.second;
                    if (x >= 0 && x < 48 && y >= 0 && y < 32)
                        expected.insert({ x, y });
                }
            }
            ASSERT_EQ(drawn(48, 32, x0, y0, x1, y1, width), expected)
                << x0 << "," << y0 << " -> " << x1 << "," << y1 << " width " << width;
        }
    }

    TEST(LineRasterizer, FillsRectanglesWithExclusiveRightAndBottomEdges)
    {
        struct Row
        {
            int l, t, r, b;
            std::size_t count;
            const char* why;
        };
        const Row rows[] = {
            { 2, 3, 5, 7, 12, "3 columns by 4 rows" },
            { 0, 0, 10, 10, 100, "the whole raster" },
            { INT_MIN, INT_MIN, INT_MAX, INT_MAX, 100, "clipped on every side" },
            { 5, 5, 5, 9, 0, "zero width" },
            { 7, 7, 3, 3, 0, "inverted" },
            { 12, 0, 20, 10, 0, "right of the raster" },
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.why);
            Raster raster(10, 10);
            fillPixels(raster.buffer(), row.l, row.t, row.r, row.b, 1);
            PixelSet painted = raster.painted();
            EXPECT_EQ(painted.size(), row.count);
            for (const Pixel& p : painted) {
                EXPECT_GE(p.first, row.l);
                EXPECT_LT(p.first, row.r);
                EXPECT_GE(p.second, row.t);
                EXPECT_LT(p.second, row.b);
            }
        }
    }

} // namespace
} // namespace velquor
