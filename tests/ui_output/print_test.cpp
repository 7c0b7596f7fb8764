#include "document/document.h"
#include "platform/qimage_surface.h"
#include "platform/scripted_dialog_service.h"
#include "render/picture_log.h"
#include "render/plot_view.h"
#include "test_support.h"
#include "ui/output_commands.h"
#include "ui/print_page.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace velquor;

namespace {

constexpr double MmPerPixelAt96 = 25.4 / 96;

// A picture without white pixels, so its printed extent is the non-white part of the page.
QImage solidPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(20, 40, 200));
    return image;
}

// Prints the page to the PDF file `folder`/page.pdf on A4, as printing from the preview does.
QString printToPdf(PrintPage& page, const QString& folder)
{
    QPrinter& printer = page.engine().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder + QStringLiteral("/page.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    {
        QPainter painter(&printer);
        page.engine().renderPage(painter, printer);
    }
    return printer.outputFileName();
}

// The PDF's first page rasterised at 96 dpi (one picture pixel to the pixel); null when
// pdftoppm fails.
QImage rasterAt96Dpi(const QString& pdf)
{
    const QString stem = pdf.chopped(4);
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-singlefile"),
            QStringLiteral("-png"), pdf, stem });
    if (!pdftoppm.waitForFinished(30000) || pdftoppm.exitCode() != 0)
        return {};
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB888);
}

// Prints the page to a PDF file on A4 and rasterises it at 96 dpi.
QImage printedPage(PrintPage& page, const QString& folder)
{
    return rasterAt96Dpi(printToPdf(page, folder));
}

// The page's picture alone, as a printer draws it, in a PDF whose page is the picture's own
// rectangle; rasterised at the page's screen resolution it lies pixel on pixel over the bitmap.
// The page takes 72 pixels to the inch, so that a picture pixel is a point, and the printer 1152
// units to the inch, 16 to the point: every scale on the way is exact in binary, and the
// rasteriser draws the pixels at 1:1 and not resampled by a hair.
constexpr double PointScreenDpi = 72;
QImage printedPicture(PrintPage& page, const QString& folder)
{
    constexpr int Resolution = 1152;
    const QString path = folder + QStringLiteral("/picture.pdf");
    const QImage& picture = page.plotImage();
    {
        QPdfWriter writer(path);
        writer.setResolution(Resolution);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(
            QPageSize(QSizeF(picture.size()), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter(&writer);
        painter.translate(-page.engine().pictureRect(Resolution).topLeft());
        page.engine().renderPage(painter, Resolution);
    }
    // pdftocairo, as pdftoppm smooths a picture even at 1:1.
    const QString stem = path.chopped(4);
    QProcess pdftocairo;
    pdftocairo.start(QStringLiteral("pdftocairo"),
        { QStringLiteral("-r"), QString::number(PointScreenDpi), QStringLiteral("-singlefile"),
            QStringLiteral("-png"), path, stem });
    if (!pdftocairo.waitForFinished(30000) || pdftocairo.exitCode() != 0)
        return {};
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB888);
}

// The encodings of the PDF's images as `pdfimages -list` names them ("image", "jpeg", ...).
QStringList imageEncodings(const QString& pdf)
{
    QProcess pdfimages;
    pdfimages.start(QStringLiteral("pdfimages"), { QStringLiteral("-list"), pdf });
    if (!pdfimages.waitForFinished(30000) || pdfimages.exitCode() != 0)
        return { QStringLiteral("pdfimages failed") };
    QStringList encodings;
    const QStringList lines = QString::fromUtf8(pdfimages.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Two lines of heading; the encoding is the ninth column.
    for (qsizetype i = 2; i < lines.size(); ++i)
        encodings << lines[i].simplified().split(QLatin1Char(' ')).value(8);
    return encodings;
}

// A plot as the window draws it, with the calls that made it: the grid with its scale values,
// a function with poles, a wide parameter curve and a polar rose.
struct DrawnPlot
{
    QImageSurface surface;
    PictureLog log;
    DrawnPlot(int width, int height)
        : surface(width, height)
    {
        surface.setPictureLog(&log);
        Document document;
        PlotView view(document, surface);
        view.initialiseView();
        const auto add = [&](GraphKind kind, const char* x, const char* y, int width, Color color) {
            GraphEntry entry;
            entry.name = x;
            entry.formula1 = x;
            entry.formula2 = y;
            entry.kind = static_cast<std::int32_t>(kind);
            entry.visible = -1;
            entry.color = color;
            entry.width = width;
            entry.divisions = 400;
            entry.rangeFrom = "0";
            entry.rangeTo = "6.2832";
            document.appendEntry(entry);
        };
        add(GraphKind::Function, "tan(x)", "", 1, 0x0000FF);
        add(GraphKind::Parametric, "5*cos(3*t)", "3*sin(2*t)", 2, 0x00FF00);
        add(GraphKind::Polar, "4*sin(5*s)", "", 3, 0xFF8000);
        view.RedrawPlot();
        surface.setPictureLog(nullptr);
    }
    QImage picture() const { return surface.image().convertToFormat(QImage::Format_RGB888); }
};

// Pixels whose colours differ in some channel by more than tolerance.
int differingPixels(const QImage& a, const QImage& b, int tolerance)
{
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({ std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q)) });
            count += d > tolerance ? 1 : 0;
        }
    return count;
}

bool havePoppler()
{
    for (const char* tool : { "pdftoppm", "pdftocairo", "pdfimages" })
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    return true;
}

// The extent of the non-white pixels in millimetres from the page's top-left corner.
QRectF inkExtentMm(const QImage& page)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb pixel = page.pixel(x, y);
            if (qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    if (right < 0)
        return {};
    return QRectF(left * MmPerPixelAt96, top * MmPerPixelAt96, (right + 1 - left) * MmPerPixelAt96,
        (bottom + 1 - top) * MmPerPixelAt96);
}

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT

private slots:
    void thePageStartsWithItsSettings()
    {
        PrintPage page;
        QPrinter& printer = page.engine().printer();
        QCOMPARE(printer.copyCount(), 1);
        QCOMPARE(printer.duplex(), QPrinter::DuplexNone);
        QCOMPARE(printer.printRange(), QPrinter::AllPages);
        QCOMPARE(printer.fromPage(), 0);
        QCOMPARE(printer.toPage(), 0);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
        for (double side : { margins.left(), margins.top(), margins.right(), margins.bottom() })
            QCOMPARE(qRound(side * 100), 1500);
        QVERIFY(page.title().isEmpty());
        QVERIFY(printer.docName().isEmpty());
    }

    void thePdfHoldsThePictureAtItsPlaceAndSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRectF>("expectedMm");
        // One pixel is 1/96 inch; the picture is centred in the item at (15.54, 13.89),
        // 151.47 x 227.87 mm.
        const auto centred = [](double width, double height) {
            return QRectF(
                15.54 + (151.47 - width) / 2, 13.89 + (227.87 - height) / 2, width, height);
        };
        QTest::newRow("default plot area")
            << QSize(445, 364) << centred(445 * MmPerPixelAt96, 364 * MmPerPixelAt96);
        QTest::newRow("odd size") << QSize(101, 77)
                                  << centred(101 * MmPerPixelAt96, 77 * MmPerPixelAt96);
        // Wider than the item (about 572 pixels): cut off at the item's left and right edges.
        QTest::newRow("wider than the item")
            << QSize(800, 300)
            << QRectF(15.54, 13.89 + (227.87 - 300 * MmPerPixelAt96) / 2, 151.47,
                   300 * MmPerPixelAt96);
        QTest::newRow("taller than the item") << QSize(200, 1000)
                                              << QRectF(15.54 + (151.47 - 200 * MmPerPixelAt96) / 2,
                                                     13.89, 200 * MmPerPixelAt96, 227.87);
    }

    void thePdfHoldsThePictureAtItsPlaceAndSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QRectF, expectedMm);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm is not installed");
        // The same picture as the calls that make it: a fill, and lines of a wide pen from far
        // outside, which the vectors draw a little beyond the picture and the page cuts off.
        auto calls = std::make_shared<PictureLog>();
        calls->setSurfaceSize(picture.width(), picture.height());
        calls->setBrushColor(0x00C82814);
        calls->fillRect(0, 0, picture.width(), picture.height());
        calls->setPenColor(0x00C82814);
        calls->setPenWidth(5);
        calls->moveTo(-1000, picture.height() / 2);
        calls->lineTo(100000, picture.height() / 2);
        calls->moveTo(picture.width() / 2, -1000);
        calls->lineTo(picture.width() / 2, 100000);
        for (const bool vectors : { false, true }) {
            QTemporaryDir dir;
            PrintPage page;
            page.setPlotImage(
                solidPicture(picture.width(), picture.height()), vectors ? calls : nullptr);
            const QRectF ink = inkExtentMm(printedPage(page, dir.path()));
            const QString where
                = (vectors ? QStringLiteral("vectors: ") : QStringLiteral("pixels: "))
                + QStringLiteral("%1 %2 %3 %4")
                      .arg(ink.left())
                      .arg(ink.top())
                      .arg(ink.right())
                      .arg(ink.bottom());
            QVERIFY2(qAbs(ink.left() - expectedMm.left()) <= 0.5, qPrintable(where));
            QVERIFY2(qAbs(ink.top() - expectedMm.top()) <= 0.5, qPrintable(where));
            QVERIFY2(qAbs(ink.right() - expectedMm.right()) <= 0.5, qPrintable(where));
            QVERIFY2(qAbs(ink.bottom() - expectedMm.bottom()) <= 0.5, qPrintable(where));
        }
    }

    void theCentringOffsetIsTruncatedInPrinterUnits()
    {
        PrintPage page;
        page.setPlotImage(solidPicture(445, 364));
        // At 600 dpi the item is 3578.03 units wide and the picture 2781.25: 398.39 -> 398.
        const QRectF item = page.engine().itemRect(600);
        const QRectF picture = page.engine().pictureRect(600);
        QCOMPARE(picture.width(), 445 * 600 / 96.0);
        QCOMPARE(picture.left() - item.left(), std::trunc((item.width() - picture.width()) / 2));
        QCOMPARE(picture.top() - item.top(), std::trunc((item.height() - picture.height()) / 2));
    }

    // The page's picture as vectors (the calls that made it are known) or as the pixels:
    // either way no lossy image, and at 1:1 the plot's bitmap. The pixels come out exactly;
    // the vectors differ where the rendering smooths a slanted line or a glyph's edge.
    void thePrintedPlotIsLosslessAndMatchesTheBitmap_data()
    {
        QTest::addColumn<bool>("vectors");
        QTest::addColumn<QStringList>("encodings");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("differing");
        QTest::newRow("vectors") << true << QStringList() << 127 << 400 * 300 / 100;
        QTest::newRow("pixels") << false << QStringList { QStringLiteral("image") } << 0 << 0;
    }

    void thePrintedPlotIsLosslessAndMatchesTheBitmap()
    {
        QFETCH(bool, vectors);
        QFETCH(QStringList, encodings);
        QFETCH(int, tolerance);
        QFETCH(int, differing);
        if (!havePoppler())
            QSKIP("poppler-utils is not installed");
        // At 72 pixels to the inch a picture of 400 x 300 fits the item.
        const DrawnPlot plot(400, 300);
        PrintPage page(PointScreenDpi);
        page.setPlotImage(
            plot.picture(), vectors ? std::make_shared<const PictureLog>(plot.log) : nullptr);
        QCOMPARE(page.engine().printsVectors(), vectors);
        QTemporaryDir dir;
        QCOMPARE(imageEncodings(printToPdf(page, dir.path())), encodings);
        const QImage printed = printedPicture(page, dir.path());
        const int found = differingPixels(printed, plot.picture(), tolerance);
        if (const QString keep = qEnvironmentVariable("VELQUOR_TEST_PICTURES"); !keep.isEmpty()) {
            printed.save(keep
                + (vectors ? QStringLiteral("/printed-vectors.png")
                           : QStringLiteral("/printed-pixels.png")));
            plot.picture().save(keep + QStringLiteral("/printed-bitmap.png"));
        }
        qInfo() << (vectors ? "vectors:" : "pixels:") << found << "pixels differ by more than"
                << tolerance;
        QVERIFY2(found <= differing, qPrintable(QString::number(found)));
        QCOMPARE(printed.size(), plot.picture().size());
    }

    // The print command prints the calls that made the picture while the log holds them all,
    // and the pixels once it has overflowed (a long trace mode).
    void thePrintCommandPrintsVectorsWhileTheLogCoversThePicture()
    {
        QImageSurface surface(445, 364);
        ScriptedDialogService dialogs;
        PrintPage page;
        OutputCommands commands(nullptr, dialogs, surface, page);
        commands.setOnPreviewShown([](QWidget& preview) { preview.close(); });
        surface.canvas().setBrushColor(0x00FFFFFF);
        surface.canvas().fillRect(0, 0, 445, 364);
        commands.print();
        QVERIFY(page.engine().printsVectors());
        for (int i = 0; i < 2'100'000; ++i)
            surface.canvas().moveTo(i % 400, i % 300);
        commands.print();
        QVERIFY(!page.engine().printsVectors());
    }

    void thePreviewShowsTheTitleAndKeepsItsPicture()
    {
        QImageSurface surface(445, 364);
        surface.canvas().setBrushColor(0x000000FF);
        surface.canvas().fillRect(0, 0, 445, 364);
        ScriptedDialogService dialogs;
        PrintPage page;
        OutputCommands commands(nullptr, dialogs, surface, page);
        const QImage before = surface.image().convertToFormat(QImage::Format_RGB888);
        QString caption;
        bool maximised = false;
        commands.setOnPreviewShown([&](QWidget& preview) {
            caption = preview.windowTitle();
            maximised = preview.windowState() & Qt::WindowMaximized;
            // The plot changes while the preview is open.
            surface.canvas().setBrushColor(0x00FF0000);
            surface.canvas().fillRect(0, 0, 445, 364);
            preview.close();
        });
        commands.print();
        QCOMPARE(caption, QStringLiteral("グラフの印刷"));
        QVERIFY(maximised);
        QCOMPARE(page.engine().printer().docName(), QStringLiteral("グラフの印刷"));
        QCOMPARE(page.plotImage(), before);
        QVERIFY(surface.image().convertToFormat(QImage::Format_RGB888) != before);
    }

    void theSetupKeepsConfirmedChoicesAndACancelChangesNothing()
    {
        PrintPage page;
        PrintEngine& engine = page.engine();
        engine.setPrinterAvailable([] { return true; });
        int presetCopies = 0;
        engine.setDialogRunner([&](QPrinter& printer, QWidget*) {
            presetCopies = printer.copyCount();
            printer.setCopyCount(3);
            printer.setPageOrientation(QPageLayout::Landscape);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            return true;
        });
        QVERIFY(page.printerSetup(nullptr));
        QCOMPARE(presetCopies, 1);
        QPrinter& printer = engine.printer();
        const auto verifyKept = [&] {
            QCOMPARE(printer.copyCount(), 3);
            QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
            QCOMPARE(printer.printRange(), QPrinter::PageRange);
            QCOMPARE(printer.fromPage(), 2);
            QCOMPARE(printer.toPage(), 3);
        };
        verifyKept();

        engine.setDialogRunner([&](QPrinter& dialogPrinter, QWidget*) {
            presetCopies = dialogPrinter.copyCount();
            dialogPrinter.setCopyCount(7);
            dialogPrinter.setPageOrientation(QPageLayout::Portrait);
            dialogPrinter.setPrintRange(QPrinter::AllPages);
            return false;
        });
        QVERIFY(!page.printerSetup(nullptr));
        QCOMPARE(presetCopies, 3);
        verifyKept();
    }

    // Without a printer the page is set up for the PDF printer the preview prints to: paper,
    // orientation and margins confirmed are kept, a cancel changes nothing.
    void thePageSetupWorksWithoutAPrinter()
    {
        PrintPage page;
        PrintEngine& engine = page.engine();
        engine.setPrinterAvailable([] { return false; });
        bool printDialogAsked = false;
        engine.setDialogRunner([&](QPrinter&, QWidget*) { return printDialogAsked = true; });
        QPageLayout preset;
        QPrinter::OutputFormat format = QPrinter::NativeFormat;
        engine.setPageSetupRunner([&](QPrinter& printer, QWidget*) {
            preset = printer.pageLayout();
            format = printer.outputFormat();
            printer.setPageSize(QPageSize(QPageSize::A5));
            printer.setPageOrientation(QPageLayout::Landscape);
            return true;
        });
        QVERIFY(page.printerSetup(nullptr));
        QVERIFY(!printDialogAsked);
        QCOMPARE(format, QPrinter::PdfFormat);
        QCOMPARE(preset.orientation(), QPageLayout::Portrait);
        QCOMPARE(qRound(preset.margins(QPageLayout::Millimeter).left() * 100), 1500);
        QPrinter& printer = engine.printer();
        const auto verifyKept = [&] {
            QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
            QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A5);
            QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
            QVERIFY(printer.fullPage()); // the item is still placed from the paper's corner
            QCOMPARE(printer.copyCount(), 1);
        };
        verifyKept();

        engine.setPageSetupRunner([&](QPrinter& dialogPrinter, QWidget*) {
            preset = dialogPrinter.pageLayout();
            dialogPrinter.setPageSize(QPageSize(QPageSize::Letter));
            dialogPrinter.setPageOrientation(QPageLayout::Portrait);
            return false;
        });
        QVERIFY(!page.printerSetup(nullptr));
        QCOMPARE(preset.pageSize().id(), QPageSize::A5); // preset with the kept choice
        verifyKept();
    }
};

int runPrintTest(int argc, char** argv)
{
    PrintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "print_test.moc"
