#include "calc/error.h"
#include "document/document.h"
#include "document/gdt_loader.h"
#include "output/vector_picture.h"
#include "platform/qimage_surface.h"
#include "render/plot_view.h"
#include "render/tee_surface.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

namespace velquor {
namespace {

    // The same drawing as a bitmap and as both vector pictures.
    struct Drawn
    {
        QImage bitmap;
        std::string svg;
        std::string pdf;
    };

    Drawn drawAll(int width, int height, const std::function<void(Surface&)>& draw)
    {
        QImageSurface bitmap(width, height);
        VectorPicture svg(VectorPicture::Format::Svg, width, height);
        VectorPicture pdf(VectorPicture::Format::Pdf, width, height);
        TeeSurface tee({ &bitmap, &svg, &pdf });
        draw(tee);
        return { bitmap.image(), svg.finish(), pdf.finish() };
    }

    // The SVG rendered by Qt's SVG renderer at 1:1 (it smooths edges).
    QImage rasterizeSvg(const std::string& svg, int width, int height)
    {
        QSvgRenderer renderer(QByteArray(svg.data(), qsizetype(svg.size())));
        EXPECT_TRUE(renderer.isValid());
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::magenta); // shows whatever the picture leaves unpainted
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, width, height));
        return image;
    }

    // The PDF page rendered by pdftoppm at one pixel to the point; empty when pdftoppm is
    // missing. smooth: with poppler's antialiasing of shapes and glyphs.
    QImage rasterizePdf(const std::string& pdf, bool smooth)
    {
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            return {};
        QTemporaryDir folder;
        const QString input = folder.filePath(QStringLiteral("page.pdf"));
        QFile file(input);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pdf.data(), qint64(pdf.size()));
        file.close();
        QStringList arguments { QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"),
            QStringLiteral("-singlefile") };
        if (!smooth)
            arguments << QStringLiteral("-aa") << QStringLiteral("no")
                      << QStringLiteral("-aaVector") << QStringLiteral("no");
        arguments << input << folder.filePath(QStringLiteral("page"));
        QProcess process;
        process.start(pdftoppm, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        QImage image(folder.filePath(QStringLiteral("page.png")));
        return image.convertToFormat(QImage::Format_RGB32);
    }

    // Saves a picture for a look when VELQUOR_TEST_PICTURES names a folder.
    void keepForLooking(const QImage& image, const QString& name)
    {
        const QString folder = qEnvironmentVariable("VELQUOR_TEST_PICTURES");
        if (!folder.isEmpty())
            image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    // Pixels whose colours differ in some channel by more than tolerance (0: any difference).
    int differingPixels(const QImage& a, const QImage& b, int tolerance = 0)
    {
        EXPECT_EQ(a.size(), b.size());
        if (a.size() != b.size())
            return a.width() * a.height();
        int count = 0;
        for (int y = 0; y < a.height(); ++y) {
            auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
            auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
            for (int x = 0; x < a.width(); ++x) {
                const int d = std::max({ std::abs(qRed(rowA[x]) - qRed(rowB[x])),
                    std::abs(qGreen(rowA[x]) - qGreen(rowB[x])),
                    std::abs(qBlue(rowA[x]) - qBlue(rowB[x])) });
                count += d > tolerance ? 1 : 0;
            }
        }
        return count;
    }

    // Skips the test when pdftoppm (poppler-utils, installed by scripts/install-deps.sh) is
    // not there.
#define REQUIRE_PDFTOPPM()                                                                         \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())                      \
    GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed"

    constexpr int StraightWidth = 101, StraightHeight = 97;

    // Fills, and horizontal and vertical lines of every pen width in both directions, from
    // inside and from far outside the surface: shapes on whole pixels, which every rendering
    // paints exactly, smoothing or not.
    void drawStraightShapes(Surface& surface)
    {
        Canvas& c = surface.canvas();
        c.setBrushColor(0x00302010);
        c.fillRect(0, 0, StraightWidth, StraightHeight);
        c.setBrushColor(0x0000FFFF);
        c.fillRect(-5, 90, 3, 1000); // clipped at the left and the bottom
        c.fillRect(10, 10, 10, 20); // empty
        for (int width = 1; width <= 5; ++width) {
            c.setPenWidth(width);
            c.setPenColor(0x00FFFFFF - width * 0x102030);
            const int at = 12 * width;
            c.moveTo(at, 4);
            c.lineTo(at, 30); // downwards: rows 4..29
            c.moveTo(at + 6, 30);
            c.lineTo(at + 6, 5); // upwards: rows 30..6
            c.moveTo(64, at);
            c.lineTo(90, at); // rightwards
            c.moveTo(90, at + 6);
            c.lineTo(64, at + 6); // leftwards
        }
        c.setPenWidth(1);
        c.setPenColor(0x000000FF);
        c.moveTo(-2000000000, 80);
        c.lineTo(2000000000, 80); // across the surface from a billion pixels away
        c.moveTo(95, 2000000000);
        c.lineTo(95, -2000000000);
        c.moveTo(5, 50);
        c.lineTo(5, 50); // no length: nothing
        c.moveTo(10, 50);
        c.lineTo(11, 50); // one step: the start pixel only
        for (int width = 2; width <= 5; ++width) {
            c.setPenWidth(width);
            c.moveTo(10 * width, 60);
            c.lineTo(10 * width, 61); // one step of a wider pen: its stamp
        }
        c.release();
    }

    TEST(VectorPicture, FillsAndStraightLinesMatchTheBitmapExactly)
    {
        // Pens of width 4 and 5 are round in the bitmap and square at a polyline's ends: each
        // of their 8 lines ends in 2 corner pixels the bitmap leaves out, at either end.
        const int roundPenCorners = 8 * 2 * 2;
        const Drawn drawn = drawAll(StraightWidth, StraightHeight, drawStraightShapes);
        keepForLooking(drawn.bitmap, QStringLiteral("straight-bitmap"));
        keepForLooking(
            rasterizeSvg(drawn.svg, StraightWidth, StraightHeight), QStringLiteral("straight-svg"));
        keepForLooking(rasterizePdf(drawn.pdf, false), QStringLiteral("straight-pdf"));
        keepForLooking(rasterizePdf(drawn.pdf, true), QStringLiteral("straight-pdf-smooth"));
        EXPECT_EQ(
            differingPixels(drawn.bitmap, rasterizeSvg(drawn.svg, StraightWidth, StraightHeight)),
            roundPenCorners)
            << "SVG through Qt's renderer";
        REQUIRE_PDFTOPPM();
        EXPECT_EQ(differingPixels(drawn.bitmap, rasterizePdf(drawn.pdf, false)), roundPenCorners)
            << "PDF through pdftoppm without smoothing";
        EXPECT_EQ(differingPixels(drawn.bitmap, rasterizePdf(drawn.pdf, true)), roundPenCorners)
            << "PDF through pdftoppm with smoothing";
    }

    TEST(VectorPicture, AFreshPictureIsTheSurfacesBlack)
    {
        // One small fill: the rest of the picture is the black of a new surface, not transparent.
        const Drawn drawn = drawAll(30, 20, [](Surface& surface) {
            surface.canvas().setBrushColor(0x00FFFFFF);
            surface.canvas().fillRect(5, 5, 10, 10);
        });
        EXPECT_EQ(differingPixels(drawn.bitmap, rasterizeSvg(drawn.svg, 30, 20)), 0);
        REQUIRE_PDFTOPPM();
        EXPECT_EQ(differingPixels(drawn.bitmap, rasterizePdf(drawn.pdf, false)), 0);
    }

    TEST(VectorPicture, HoldsTextsAsTextAndCurvesAsPolylines)
    {
        const Drawn drawn = drawAll(200, 100, [](Surface& surface) {
            Canvas& c = surface.canvas();
            c.setBrushColor(0);
            c.fillRect(0, 0, 200, 100);
            c.setFontColor(0x00808080);
            c.textOut(20, 30, "-1.5");
            c.textOut(50, 30, "値");
            c.setPenColor(0x000080FF); // orange: red FF, green 80
            c.setPenWidth(3);
            c.moveTo(0, 50);
            for (int x = 10; x <= 200; x += 10)
                c.lineTo(x, 50 + (x % 20 == 0 ? 20 : -20));
            c.setPenColor(0x000080FF); // the same colour again: the same polyline
            c.lineTo(210, 0);
            c.moveTo(0, 0);
            c.lineTo(1000000000, 999999999); // far off: cut off near the edge
            c.release();
        });
        const QString svg = QString::fromStdString(drawn.svg);
        EXPECT_TRUE(svg.contains(QStringLiteral(">-1.5</text>")));
        EXPECT_TRUE(svg.contains(QStringLiteral(">値</text>")));
        EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 200 100\"")));
        // The size in pixels, not in millimetres that viewers round to another pixel count.
        EXPECT_TRUE(svg.contains(QStringLiteral("<svg width=\"200px\" height=\"100px\"")))
            << drawn.svg.substr(0, 400);
        EXPECT_EQ(
            QSvgRenderer(QByteArray::fromStdString(drawn.svg)).defaultSize(), QSize(200, 100));
        EXPECT_EQ(svg.count(QStringLiteral("<polyline")), 2);
        EXPECT_TRUE(svg.contains(QStringLiteral("stroke=\"#ff8000\"")));
        EXPECT_TRUE(svg.contains(QStringLiteral("stroke-width=\"3\"")));
        EXPECT_FALSE(svg.contains(QStringLiteral("99999"))) << "coordinates far off the surface";

        EXPECT_NE(drawn.pdf.find("/MediaBox [0 0 200.000000 100.000000]"), std::string::npos);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("page.pdf")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(drawn.pdf.data(), qint64(drawn.pdf.size()));
        file.close();
        QProcess process;
        process.start(pdftotext, { file.fileName(), QStringLiteral("-") });
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("-1.5"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("値"))) << text.toStdString();
    }

    // The scale values of a grid, and a message with Japanese glyphs, on their opaque cells.
    // Smoothing leaves the glyphs' edges a little lighter or darker; the cells and the glyphs'
    // places match.
    TEST(VectorPicture, TextsDifferOnlyAtTheEdgesOfGlyphs)
    {
        const int width = 420, height = 60;
        const Drawn drawn = drawAll(width, height, [](Surface& surface) {
            Canvas& c = surface.canvas();
            c.setBrushColor(0);
            c.fillRect(0, 0, width, height);
            c.setFontColor(0x00808080);
            for (int i = 0; i < 10; ++i) {
                c.textOut(5 + 40 * i, 20, std::to_string(i - 5));
                c.textOut(5 + 40 * i, 40, std::to_string(i * 0.25 - 1).substr(0, 5));
            }
            c.setFontColor(0x00FFFFFF);
            c.setBrushColor(0x00800000);
            c.textOut(0, 0, "描画できません。表示できないグラフを非表示にしました");
            c.release();
        });
        keepForLooking(drawn.bitmap, QStringLiteral("texts-bitmap"));
        const QImage svg = rasterizeSvg(drawn.svg, width, height);
        keepForLooking(svg, QStringLiteral("texts-svg"));
        std::cout << "texts: SVG (Qt) " << differingPixels(drawn.bitmap, svg) << " differ, "
                  << differingPixels(drawn.bitmap, svg, 127) << " by more than half";
        EXPECT_LT(differingPixels(drawn.bitmap, svg, 127), 500);
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
            const QImage sharp = rasterizePdf(drawn.pdf, false);
            const QImage smooth = rasterizePdf(drawn.pdf, true);
            keepForLooking(sharp, QStringLiteral("texts-pdf"));
            keepForLooking(smooth, QStringLiteral("texts-pdf-smooth"));
            std::cout << "; PDF (pdftoppm) " << differingPixels(drawn.bitmap, sharp)
                      << " differ unsmoothed, " << differingPixels(drawn.bitmap, smooth)
                      << " smoothed, " << differingPixels(drawn.bitmap, smooth, 127)
                      << " by more than half";
        }
        std::cout << "\n";
    }

    // A document drawn by the redraw as the plot window draws it.
    Drawn drawDocument(const QString& name, int width, int height)
    {
        return drawAll(width, height, [&](Surface& surface) {
            Document document;
            PlotView view(document, surface);
            view.initialiseView();
            loadGdt(document, (QStringLiteral(EXAMPLES_DIR "/") + name).toStdString());
            view.RedrawPlot();
        });
    }

    // The example documents at 1:1. Differences are left only where a rendering smooths a
    // slanted line or a glyph's edge, or rasterizes either by its own rule: the counts are
    // printed, and bounded so that a shift, a wrong size, colour or font fails.
    TEST(VectorPicture, ExampleDocumentsMatchTheBitmapAtOneToOne)
    {
        const bool havePdftoppm
            = !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
        for (const char* name :
            { "family.gdt", "rose.gdt", "tan.gdt", "lissajous.gdt", "degrees.gdt", "calls.gdt" }) {
            SCOPED_TRACE(name);
            const int width = 445, height = 364;
            const Drawn drawn = drawDocument(QString::fromLatin1(name), width, height);
            const QImage svg = rasterizeSvg(drawn.svg, width, height);
            keepForLooking(drawn.bitmap, QString::fromLatin1(name) + QStringLiteral("-bitmap"));
            keepForLooking(svg, QString::fromLatin1(name) + QStringLiteral("-svg"));
            const int svgAny = differingPixels(drawn.bitmap, svg);
            const int svgHalf = differingPixels(drawn.bitmap, svg, 127);
            std::cout << name << ": SVG (Qt) " << svgAny << " differ, " << svgHalf
                      << " by more than half";
            EXPECT_LT(svgHalf, width * height / 100);
            if (havePdftoppm) {
                const QImage sharp = rasterizePdf(drawn.pdf, false);
                const QImage smooth = rasterizePdf(drawn.pdf, true);
                keepForLooking(sharp, QString::fromLatin1(name) + QStringLiteral("-pdf"));
                keepForLooking(smooth, QString::fromLatin1(name) + QStringLiteral("-pdf-smooth"));
                const int sharpAny = differingPixels(drawn.bitmap, sharp);
                const int smoothHalf = differingPixels(drawn.bitmap, smooth, 127);
                std::cout << "; PDF (pdftoppm) " << sharpAny << " differ unsmoothed, "
                          << differingPixels(drawn.bitmap, smooth) << " smoothed, " << smoothHalf
                          << " by more than half";
                EXPECT_LT(smoothHalf, width * height / 100);
            }
            std::cout << "\n";
        }
    }

    TEST(VectorPicture, WritingReplacesTheFileOrReportsTheSystemsMessage)
    {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("plot.svg")).toStdString();
        {
            QFile old(QString::fromStdString(path));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        VectorPicture picture(VectorPicture::Format::Svg, 10, 10);
        writeVectorFile(path, picture);
        QFile written(QString::fromStdString(path));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll().startsWith("<?xml"));
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
            << "no temporary file is left";

        const std::string missing
            = folder.filePath(QStringLiteral("no such folder/plot.pdf")).toStdString();
        VectorPicture pdf(VectorPicture::Format::Pdf, 10, 10);
        try {
            writeVectorFile(missing, pdf);
            FAIL() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), formatMessage(CannotCreateMessage, missing));
        }
    }

} // namespace
} // namespace velquor
