// The main window on a high-DPI screen (run with QT_SCALE_FACTOR set, offscreen): the plot is
// shown at device pixels while what is copied stays the picture a ratio of 1 draws.
#include "platform/plot_widget.h"
#include "platform/qimage_surface.h"
#include "platform/scripted_dialog_service.h"
#include "render/device_picture.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWheelEvent>

using namespace velquor;

namespace {

GraphEntry curve(GraphKind kind, const char* name, const char* formula1, const char* formula2)
{
    GraphEntry entry;
    entry.name = name;
    entry.visible = -1;
    entry.kind = static_cast<std::int32_t>(kind);
    entry.color = 0x0000FF;
    entry.width = 2;
    entry.formula1 = formula1;
    entry.formula2 = formula2;
    entry.rangeFrom = "0";
    entry.rangeTo = "6.2832";
    entry.divisions = 200;
    return entry;
}

// The same document drawn by a plain view on a surface of the plot's size, at a ratio of 1.
struct PlainPlot
{
    Document document;
    QImageSurface surface;
    PlotView view;

    explicit PlainPlot(MainWindow& window)
        : document(window.document())
        , surface(window.surface().width(), window.surface().height())
        , view(document, surface)
    {
        view.decimalPoint = window.plotView().decimalPoint;
    }
};

QImage copied(MainWindow& window)
{
    window.m_copyAction->trigger();
    return QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
}

// Blocks of ratio x ratio device pixels that are not of one colour: none on a doubled picture.
int mixedBlocks(const QImage& image, int ratio)
{
    int mixed = 0;
    for (int y = 0; y + ratio <= image.height(); y += ratio)
        for (int x = 0; x + ratio <= image.width(); x += ratio) {
            bool uniform = true;
            for (int dy = 0; dy < ratio; ++dy)
                for (int dx = 0; dx < ratio; ++dx)
                    uniform = uniform && image.pixel(x + dx, y + dy) == image.pixel(x, y);
            mixed += uniform ? 0 : 1;
        }
    return mixed;
}

} // namespace

class HighDpiTest : public QObject
{
    Q_OBJECT

private slots:
    void showsDevicePixelsAndCopiesThePlotsOwnPicture()
    {
        ScriptedDialogService dialogs;
        MainWindow window(dialogs, {});
        window.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const double ratio = window.m_plot->devicePixelRatioF();
        QVERIFY2(ratio > 1, "run with QT_SCALE_FACTOR above 1");
        QTRY_VERIFY(window.plotView().deviceSurface() != nullptr);
        QImageSurface* device = window.m_plot->deviceSurface();
        QCOMPARE(device->width(), deviceExtent(window.surface().width(), ratio));
        QCOMPARE(device->height(), deviceExtent(window.surface().height(), ratio));

        Document& document = window.document();
        document.appendEntry(curve(GraphKind::Function, "f", "sin(x)*3", ""));
        document.appendEntry(curve(GraphKind::Polar, "r", "2cos(3s)", ""));
        document.appendEntry(curve(GraphKind::Function, "n", "random(x)", ""));
        QTRY_COMPARE(window.plotView().settleTicks, 0); // the redraw at rest after showing
        window.RedrawPlot();

        // The copy is byte for byte what a ratio of 1 draws, random numbers included.
        PlainPlot plain(window);
        plain.document.CX = document.CX;
        plain.document.CY = document.CY;
        plain.document.Zoom = document.Zoom;
        const std::uint32_t seed = randomSeed();
        window.RedrawPlot();
        const std::uint32_t after = randomSeed();
        setRandomSeed(seed);
        plain.view.RedrawPlot();
        QCOMPARE(randomSeed(), after);
        QCOMPARE(copied(window), plain.surface.image());

        // Trace mode accumulates on both pictures (without the random numbers, as the window
        // may redraw on its own when a changes).
        document.entry(2).visible = 0;
        plain.document.entry(2).visible = 0;
        window.toggleTraceMode();
        plain.view.toggleTraceMode();
        for (const char* a : { "1", "2" }) {
            document.setText(Setting::ValA, a);
            plain.document.setText(Setting::ValA, a);
            document.entry(0).formula1 = "sin(x)*3+a";
            plain.document.entry(0).formula1 = "sin(x)*3+a";
            const std::uint32_t before = randomSeed();
            window.RedrawPlot();
            setRandomSeed(before);
            plain.view.RedrawPlot();
        }
        QCOMPARE(copied(window), plain.surface.image());

        // What the screen shows is the device picture, pixel for pixel, not a doubled plot.
        window.m_plot->repaint();
        QImage shown = window.m_plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
        shown.setDevicePixelRatio(1);
        QCOMPARE(shown.size(), device->image().size());
        QCOMPARE(shown, device->image());
        if (ratio == 2)
            QVERIFY(mixedBlocks(shown, 2) > 1000);
    }

    // The mouse speaks the plot's pixels at every ratio: a drag moves the origin by the logical
    // distance, the wheel zooms about the point under the cursor.
    void mouseMovesTheViewInThePlotsPixels()
    {
        ScriptedDialogService dialogs;
        MainWindow window(dialogs, {});
        window.showAtStartup();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Document& document = window.document();
        const std::int32_t cx = document.CX;
        const std::int32_t cy = document.CY;
        QTest::mousePress(window.m_plot, Qt::LeftButton, {}, QPoint(100, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(130, 90),
            window.m_plot->mapToGlobal(QPointF(130, 90)), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QCoreApplication::sendEvent(window.m_plot, &move);
        QTest::mouseRelease(window.m_plot, Qt::LeftButton, {}, QPoint(130, 90));
        QCOMPARE(document.CX, cx + 30);
        QCOMPARE(document.CY, cy - 10);

        const QPointF at(document.CX + 50, document.CY);
        QWheelEvent wheel(at, window.m_plot->mapToGlobal(at), QPoint(), QPoint(0, 120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window.m_plot, &wheel);
        QCOMPARE(document.Zoom, 28); // 25 and 10 % rounded
        QCOMPARE(document.CX, cx + 30 - 6); // 50 pixels from the origin become 56
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    HighDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "high_dpi_test.moc"
