#include "platform/qimage_surface.h"
#include "platform/scripted_dialog_service.h"
#include "test_support.h"
#include "ui/output_commands.h"
#include "ui/print_page.h"

#include <QPageLayout>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

// Prints the page to a PDF file on A4 and rasterises it at 96 dpi.
QImage printedPage(PrintPage& page, const QString& folder)
{
    QPrinter& printer = page.engine().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder + QStringLiteral("/page.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    {
        QPainter painter(&printer);
        page.engine().renderPage(painter, printer);
    }
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-singlefile"),
            folder + QStringLiteral("/page.pdf"), folder + QStringLiteral("/page") });
    if (!pdftoppm.waitForFinished(30000) || pdftoppm.exitCode() != 0)
        return {};
    return QImage(folder + QStringLiteral("/page.ppm"));
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
        QTemporaryDir dir;
        PrintPage page;
        page.setPlotImage(solidPicture(picture.width(), picture.height()));
        const QRectF ink = inkExtentMm(printedPage(page, dir.path()));
        QVERIFY2(
            qAbs(ink.left() - expectedMm.left()) <= 0.5, qPrintable(QString::number(ink.left())));
        QVERIFY2(qAbs(ink.top() - expectedMm.top()) <= 0.5, qPrintable(QString::number(ink.top())));
        QVERIFY2(qAbs(ink.right() - expectedMm.right()) <= 0.5,
            qPrintable(QString::number(ink.right())));
        QVERIFY2(qAbs(ink.bottom() - expectedMm.bottom()) <= 0.5,
            qPrintable(QString::number(ink.bottom())));
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

        bool asked = false;
        engine.setPrinterAvailable([] { return false; });
        engine.setDialogRunner([&](QPrinter&, QWidget*) { return asked = true; });
        QVERIFY(!page.printerSetup(nullptr));
        QVERIFY(!asked);
        verifyKept();
    }
};

int runPrintTest(int argc, char** argv)
{
    PrintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "print_test.moc"
