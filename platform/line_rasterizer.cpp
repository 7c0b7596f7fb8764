#include "platform/line_rasterizer.h"

#include <algorithm>
#include <cstdlib>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <vector>

namespace velquor {

namespace {

    // Products of two 33-bit distances need more than 64 bits.
    __extension__ typedef __int128 Wide;

    // A round pen of diameter `width`: offsets [lo, hi] per axis around the centre pixel, and
    // for each row of the pen the span of columns it covers. Even widths put the extra row and
    // column on the right and bottom side of the centre pixel.
    struct Pen
    {
        int width;
        int lo;
        int hi;
        int spanLo[WidestStampedPen] = {};
        int spanHi[WidestStampedPen] = {};

        constexpr explicit Pen(int w)
            : width(std::clamp(w, 1, WidestStampedPen))
            , lo(-(width - 1) / 2)
            , hi(width / 2)
        {
            // A pixel is covered when its centre lies within the disc, measured in doubled
            // coordinates about the pen's true centre; the corners of the square fall outside
            // from width 4 on, so small pens stay square and larger ones look round.
            for (int oy = lo; oy <= hi; ++oy) {
                int first = hi + 1, last = lo - 1;
                for (int ox = lo; ox <= hi; ++ox) {
                    int cx = 2 * ox - (lo + hi), cy = 2 * oy - (lo + hi);
                    if (cx * cx + cy * cy <= width * width) {
                        first = std::min(first, ox);
                        last = std::max(last, ox);
                    }
                }
                spanLo[oy - lo] = first;
                spanHi[oy - lo] = last;
            }
        }
    };

    // The pens, made once; width is within 1 to WidestStampedPen.
    const Pen& penOfWidth(int width)
    {
        static const auto pens = [] {
            std::vector<Pen> made;
            for (int w = 1; w <= WidestStampedPen; ++w)
                made.emplace_back(w);
            return made;
        }();
        return pens[static_cast<std::size_t>(width - 1)];
    }

    void stamp(const PixelBuffer& buffer, const Pen& pen, std::int64_t x, std::int64_t y,
        std::uint32_t pixel)
    {
        for (int oy = pen.lo; oy <= pen.hi; ++oy) {
            std::int64_t py = y + oy;
            if (py < 0 || py >= buffer.height)
                continue;
            std::int64_t left = std::max<std::int64_t>(x + pen.spanLo[oy - pen.lo], 0);
            std::int64_t right
                = std::min<std::int64_t>(x + pen.spanHi[oy - pen.lo], buffer.width - 1);
            std::uint32_t* row = buffer.pixels + py * buffer.stride;
            for (std::int64_t px = left; px <= right; ++px)
                row[px] = pixel;
        }
    }

    // Rounds a / b towards +infinity for b > 0.
    Wide ceilDiv(Wide a, Wide b)
    {
        return a >= 0 ? (a + b - 1) / b : -((-a) / b);
    }

    // The walk in major/minor form: step i (0 <= i < length) is at major M0 + sM * i and minor
    // m0 + sm * m(i), with m(i) = floor((2 i B + A - 1) / (2 A)): i B / A rounded to nearest,
    // halves towards the start, which is what the classic error-term loop (step the minor
    // axis when the error exceeds zero) paints.
    struct Walk
    {
        std::int64_t major0, minor0;
        int majorSign, minorSign;
        std::int64_t a, b; // major and minor distance, b <= a, a > 0
    };

    // The steps whose centre lies in [lo, hi] along one axis, as a closed range of i.
    void clipMajor(const Walk& w, std::int64_t lo, std::int64_t hi, Wide& first, Wide& last)
    {
        if (w.majorSign > 0) {
            first = std::max<Wide>(first, Wide(lo) - w.major0);
            last = std::min<Wide>(last, Wide(hi) - w.major0);
        } else {
            first = std::max<Wide>(first, Wide(w.major0) - hi);
            last = std::min<Wide>(last, Wide(w.major0) - lo);
        }
    }

    void clipMinor(const Walk& w, std::int64_t lo, std::int64_t hi, Wide& first, Wide& last)
    {
        // The minor offset k = m(i) must lie in [kLo, kHi]; m is non-decreasing in i.
        Wide kLo = w.minorSign > 0 ? Wide(lo) - w.minor0 : Wide(w.minor0) - hi;
        Wide kHi = w.minorSign > 0 ? Wide(hi) - w.minor0 : Wide(w.minor0) - lo;
        kLo = std::max<Wide>(kLo, 0);
        kHi = std::min<Wide>(kHi, w.b);
        if (kLo > kHi) {
            last = first - 1;
            return;
        }
        if (w.b == 0)
            return; // m(i) = 0 throughout, and 0 lies in [kLo, kHi]
        // m(i) >= k  <=>  2iB >= (2k - 1) A + 1;   m(i) <= k  <=>  2iB <= (2k + 1) A.
        first = std::max(first, ceilDiv((2 * kLo - 1) * w.a + 1, 2 * Wide(w.b)));
        last = std::min(last, (2 * kHi + 1) * w.a / (2 * Wide(w.b)));
    }

    // The stamps of a wide pen along a walk on the raster (see walkInside); Rows is the pen's
    // width when the compiler should know it, 0 otherwise.
    template <int Rows>
    void stampAlongInside(const PixelBuffer& buffer, const Pen& pen, std::uint32_t* at,
        std::int64_t steps, std::ptrdiff_t majorStep, std::ptrdiff_t minorStep, std::int64_t twoA,
        std::int64_t twoB, std::int64_t remainder, std::uint32_t pixel)
    {
        // With the width known the spans are constants, and the stamp a few plain stores.
        static constexpr Pen known(Rows != 0 ? Rows : 1);
        const Pen& stamped = Rows != 0 ? known : pen;
        const int rows = Rows != 0 ? Rows : pen.width;
        std::ptrdiff_t rowOffset[WidestStampedPen];
        for (int r = 0; r < rows; ++r)
            rowOffset[r] = (stamped.lo + r) * buffer.stride;
        for (std::int64_t i = 0; i < steps; ++i) {
            for (int r = 0; r < rows; ++r) {
                std::uint32_t* row = at + rowOffset[r];
                for (int ox = stamped.spanLo[r]; ox <= stamped.spanHi[r]; ++ox)
                    row[ox] = pixel;
            }
            at += majorStep;
            remainder += twoB;
            if (remainder >= twoA) {
                remainder -= twoA;
                at += minorStep;
            }
        }
    }

    // The walk of a line whose every step, pen included, lies on the raster: no clipping, and
    // the pixel address itself steps along the major axis and, when the remainder overflows,
    // along the minor one.
    void walkInside(const PixelBuffer& buffer, const Pen& pen, const Walk& w, bool xMajor,
        std::uint32_t pixel)
    {
        const std::ptrdiff_t majorStep = xMajor ? w.majorSign : w.majorSign * buffer.stride;
        const std::ptrdiff_t minorStep = xMajor ? w.minorSign * buffer.stride : w.minorSign;
        const std::int64_t x0 = xMajor ? w.major0 : w.minor0;
        const std::int64_t y0 = xMajor ? w.minor0 : w.major0;
        std::uint32_t* at = buffer.pixels + y0 * buffer.stride + x0;
        const std::int64_t twoA = 2 * w.a;
        const std::int64_t twoB = 2 * w.b;
        std::int64_t remainder = w.a - 1; // the closed form's numerator at step 0
        if (pen.width == 1) {
            for (std::int64_t i = 0; i < w.a; ++i) {
                *at = pixel;
                at += majorStep;
                remainder += twoB;
                if (remainder >= twoA) {
                    remainder -= twoA;
                    at += minorStep;
                }
            }
            return;
        }
        switch (pen.width) {
        // The pens of a picture at a device's pixels (2 to 10 for the plot's 1 to 5 at ratio 2)
        // with the row count known to the compiler, which unrolls the stamp.
        case 2:
            return stampAlongInside<2>(
                buffer, pen, at, w.a, majorStep, minorStep, twoA, twoB, remainder, pixel);
        case 3:
            return stampAlongInside<3>(
                buffer, pen, at, w.a, majorStep, minorStep, twoA, twoB, remainder, pixel);
        case 4:
            return stampAlongInside<4>(
                buffer, pen, at, w.a, majorStep, minorStep, twoA, twoB, remainder, pixel);
        case 6:
            return stampAlongInside<6>(
                buffer, pen, at, w.a, majorStep, minorStep, twoA, twoB, remainder, pixel);
        default:
            return stampAlongInside<0>(
                buffer, pen, at, w.a, majorStep, minorStep, twoA, twoB, remainder, pixel);
        }
    }

    // A wide pen along a horizontal or vertical walk: the stamps' union, one run of pixels per
    // row, instead of a stamp per step (a grid line at a device's pixels is thousands of steps).
    // The pen is a disc, so the spans of any run of its rows join into one span.
    void straightWideLine(
        const PixelBuffer& buffer, const Pen& pen, const Walk& w, bool xMajor, std::uint32_t pixel)
    {
        // The centres, ordered: the steps i = 0 .. A - 1 (the end point left out).
        const std::int64_t last = w.major0 + w.majorSign * (w.a - 1);
        const std::int64_t lowCentre = std::min(w.major0, last);
        const std::int64_t highCentre = std::max(w.major0, last);
        const std::int64_t minor = w.minor0;
        const auto fillRow = [&](std::int64_t y, std::int64_t left, std::int64_t right) {
            if (y < 0 || y >= buffer.height || left > right)
                return;
            left = std::max<std::int64_t>(left, 0);
            right = std::min<std::int64_t>(right, std::int64_t(buffer.width) - 1);
            std::uint32_t* row = buffer.pixels + y * buffer.stride;
            for (std::int64_t x = left; x <= right; ++x)
                row[x] = pixel;
        };
        if (xMajor) {
            for (int oy = pen.lo; oy <= pen.hi; ++oy)
                if (pen.spanLo[oy - pen.lo] <= pen.spanHi[oy - pen.lo])
                    fillRow(minor + oy, lowCentre + pen.spanLo[oy - pen.lo],
                        highCentre + pen.spanHi[oy - pen.lo]);
            return;
        }
        // Row y is covered by the pen rows oy with a centre at y - oy.
        const std::int64_t top = std::max<std::int64_t>(lowCentre + pen.lo, 0);
        const std::int64_t bottom
            = std::min<std::int64_t>(highCentre + pen.hi, std::int64_t(buffer.height) - 1);
        for (std::int64_t y = top; y <= bottom; ++y) {
            const int first = int(std::max<std::int64_t>(pen.lo, y - highCentre));
            const int lastRow = int(std::min<std::int64_t>(pen.hi, y - lowCentre));
            int left = pen.spanLo[first - pen.lo];
            int right = pen.spanHi[first - pen.lo];
            for (int oy = first + 1; oy <= lastRow; ++oy) {
                left = std::min(left, pen.spanLo[oy - pen.lo]);
                right = std::max(right, pen.spanHi[oy - pen.lo]);
            }
            fillRow(y, minor + left, minor + right);
        }
    }

    // A whole large picture (the background of a picture at a device's pixels, 33 MB at 4K,
    // and of a plot of 1920 x 1080, 8 MB) is filled past the caches: stores that do not first
    // read the memory they overwrite. Either picture is far larger than the caches, so the
    // ordinary stores' reads only cost time (measured: a drag redraws both every frame).
    constexpr std::size_t StreamedFillPixels = std::size_t(1) << 20;

    void streamFill(std::uint32_t* pixels, std::size_t count, std::uint32_t pixel)
    {
        std::size_t i = 0;
#if defined(__SSE2__)
        for (; i < count && (reinterpret_cast<std::uintptr_t>(pixels + i) & 15) != 0; ++i)
            pixels[i] = pixel;
        const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
        for (; i + 4 <= count; i += 4)
            _mm_stream_si128(reinterpret_cast<__m128i*>(pixels + i), four);
        _mm_sfence();
#endif
        for (; i < count; ++i)
            pixels[i] = pixel;
    }

} // namespace

int clampPenWidth(int width)
{
    return std::clamp(width, 1, 5);
}

void rasterizeLine(const PixelBuffer& buffer, int x0, int y0, int x1, int y1, std::uint32_t pixel,
    int penWidth, int widestPen)
{
    std::int64_t dx = std::int64_t(x1) - x0;
    std::int64_t dy = std::int64_t(y1) - y0;
    if ((dx == 0 && dy == 0) || buffer.width <= 0 || buffer.height <= 0)
        return;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    Walk w {};
    w.major0 = xMajor ? x0 : y0;
    w.minor0 = xMajor ? y0 : x0;
    w.majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    w.minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    w.a = std::llabs(xMajor ? dx : dy);
    w.b = std::llabs(xMajor ? dy : dx);

    // A centre may lie off the raster by up to the pen's reach and still paint on it.
    const Pen& pen
        = penOfWidth(std::clamp(penWidth, 1, std::clamp(widestPen, 1, WidestStampedPen)));
    if (pen.width > 1 && w.b == 0) {
        straightWideLine(buffer, pen, w, xMajor, pixel);
        return;
    }
    std::int64_t xLo = -pen.hi, xHi = std::int64_t(buffer.width) - 1 - pen.lo;
    std::int64_t yLo = -pen.hi, yHi = std::int64_t(buffer.height) - 1 - pen.lo;

    // Most lines of a plot lie on the raster with the whole pen: both ends (the walk's steps
    // lie between them) at least the pen's reach inside.
    const auto inside = [&](std::int64_t x, std::int64_t y) {
        return x >= -pen.lo && x < std::int64_t(buffer.width) - pen.hi && y >= -pen.lo
            && y < std::int64_t(buffer.height) - pen.hi;
    };
    if (inside(x0, y0) && inside(x1, y1)) {
        walkInside(buffer, pen, w, xMajor, pixel);
        return;
    }
    Wide first = 0, last = w.a - 1; // the end point (i = A) is left out
    clipMajor(w, xMajor ? xLo : yLo, xMajor ? xHi : yHi, first, last);
    clipMinor(w, xMajor ? yLo : xLo, xMajor ? yHi : xHi, first, last);
    if (first > last)
        return;

    // From the first visible step on, walk incrementally with the remainder of m(i).
    Wide numerator = 2 * first * w.b + w.a - 1;
    std::int64_t twoA = 2 * w.a;
    std::int64_t offset = std::int64_t(numerator / twoA);
    std::int64_t remainder = std::int64_t(numerator % twoA);
    std::int64_t major = w.major0 + w.majorSign * std::int64_t(first);
    // After clipping both ends lie in [0, A - 1], which 64 bits hold.
    for (std::int64_t i = std::int64_t(first), end = std::int64_t(last); i <= end; ++i) {
        std::int64_t minor = w.minor0 + w.minorSign * offset;
        std::int64_t x = xMajor ? major : minor;
        std::int64_t y = xMajor ? minor : major;
        if (pen.width == 1)
            buffer.pixels[y * buffer.stride + x] = pixel;
        else
            stamp(buffer, pen, x, y, pixel);
        major += w.majorSign;
        remainder += 2 * w.b;
        if (remainder >= twoA) {
            remainder -= twoA;
            ++offset;
        }
    }
}

void fillPixels(
    const PixelBuffer& buffer, int left, int top, int right, int bottom, std::uint32_t pixel)
{
    int l = std::max(left, 0), t = std::max(top, 0);
    int r = std::min(right, buffer.width), b = std::min(bottom, buffer.height);
    if (l >= r)
        return;
    if (l == 0 && r == buffer.width && buffer.stride == buffer.width && t < b
        && std::size_t(b - t) * std::size_t(r) >= StreamedFillPixels) {
        streamFill(buffer.pixels + std::ptrdiff_t(t) * buffer.stride,
            std::size_t(b - t) * std::size_t(r), pixel);
        return;
    }
    for (int y = t; y < b; ++y)
        std::fill(
            buffer.pixels + y * buffer.stride + l, buffer.pixels + y * buffer.stride + r, pixel);
}

} // namespace velquor
