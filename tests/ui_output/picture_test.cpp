#include "calc/error.h"
#include "document/document.h"
#include "output/plot_picture.h"
#include "platform/qimage_surface.h"
#include "platform/scripted_dialog_service.h"
#include "render/plot_view.h"
#include "test_support.h"
#include "ui/output_commands.h"
#include "ui/print_page.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

using namespace velquor;

namespace {

// A 445 x 364 plot area with a pattern that tells rows and columns apart.
void paintPattern(QImageSurface& surface)
{
    Canvas& canvas = surface.canvas();
    canvas.setBrushColor(0x00FFFFFF);
    canvas.fillRect(0, 0, surface.width(), surface.height());
    canvas.setBrushColor(0x000000FF);
    canvas.fillRect(10, 20, 110, 70);
    canvas.setPenColor(0x00FF0000);
    canvas.moveTo(0, surface.height() - 1);
    canvas.lineTo(surface.width(), surface.height() - 1);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int pixelsOfColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

struct Commands
{
    Commands()
        : surface(445, 364)
        , commands(nullptr, dialogs, surface, page)
    {
        paintPattern(surface);
    }
    QImageSurface surface;
    ScriptedDialogService dialogs;
    PrintPage page;
    OutputCommands commands;
};

} // namespace

class PictureTest : public QObject
{
    Q_OBJECT

private slots:
    void bitmapExportWritesTheBitmapUnderTheChosenName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension: .bmp added") << "plot"
                                                  << "plot.bmp";
        QTest::newRow("another extension: a bitmap all the same") << "plot.png"
                                                                  << "plot.png";
        QTest::newRow("a dot in the folder only") << "d.x/plot"
                                                  << "d.x/plot.bmp";
        QTest::newRow("upper-case extension kept") << "PLOT.BMP"
                                                   << "PLOT.BMP";
    }

    void bitmapExportWritesTheBitmapUnderTheChosenName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("d.x")));
        Commands rig;
        rig.dialogs.push(dir.filePath(typed));
        rig.commands.saveImage();
        const QByteArray bytes = readFile(dir.filePath(written));
        QCOMPARE(bytes.size(), 486358); // 54 + 1336 x 364: rows padded by 1 byte
        QVERIFY(bytes == QByteArray::fromStdString(bitmapFileBytes(rig.surface.image())));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), written.contains(u'/') ? 0 : 1);
        QCOMPARE(rig.dialogs.log(),
            QStringList({ QStringLiteral("save: Windows BMP (*.bmp);;PNG (*.png);;SVG (*.svg);;"
                                         "PDF (*.pdf);;すべてのファイル (*.*): bmp: untitled") }));
    }

    // Each entry of the filter writes its format whatever the name's extension, and gives a
    // name without one its own; "すべてのファイル" writes the bitmap as before.
    void theSelectedFilterEntryChoosesTheFormat_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("PNG, no extension") << 1 << "plot"
                                           << "plot.png" << QByteArray("\x89PNG\r\n\x1A\n");
        QTest::newRow("SVG, no extension") << 2 << "plot"
                                           << "plot.svg" << QByteArray("<?xml");
        QTest::newRow("PDF, no extension") << 3 << "plot"
                                           << "plot.pdf" << QByteArray("%PDF-");
        QTest::newRow("PNG under another extension") << 1 << "plot.bmp"
                                                     << "plot.bmp" << QByteArray("\x89PNG");
        QTest::newRow("all files: the bitmap") << 4 << "plot.svg"
                                               << "plot.svg" << QByteArray("BM");
        QTest::newRow("all files, no extension: .bmp") << 4 << "plot"
                                                       << "plot.bmp" << QByteArray("BM");
    }

    void theSelectedFilterEntryChoosesTheFormat()
    {
        QFETCH(int, entry);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        Commands rig;
        rig.dialogs.push(DialogService::SaveChoice { dir.filePath(typed), entry });
        rig.commands.saveImage();
        QVERIFY(readFile(dir.filePath(written)).startsWith(start));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ written }));
        QCOMPARE(rig.commands.lastFileName(), dir.filePath(written));
        if (entry == 1)
            QCOMPARE(QImage(dir.filePath(written), "PNG").convertToFormat(QImage::Format_RGB32),
                rig.surface.image().convertToFormat(QImage::Format_RGB32));
    }

    // The SVG is drawn from the calls that made the picture as it stands: in trace mode every
    // curve drawn since the last clear, as the bitmap shows them.
    void theSvgHoldsEveryCurveOfTraceMode()
    {
        Document document;
        QImageSurface surface(445, 364);
        ScriptedDialogService dialogs;
        PrintPage page;
        OutputCommands commands(nullptr, dialogs, surface, page);
        PlotView view(document, surface);
        view.initialiseView();
        GraphEntry line;
        line.name = "line";
        line.visible = -1;
        line.color = 0x0000FF;
        line.width = 1;
        line.formula1 = "x+a";
        document.appendEntry(line);
        view.RedrawPlot();
        view.toggleTraceMode();
        for (const char* a : { "1", "2", "3" }) {
            document.setText(Setting::ValA, a);
            view.RedrawPlot();
        }
        QTemporaryDir dir;
        dialogs.push(DialogService::SaveChoice { dir.filePath(QStringLiteral("trace")), 2 });
        commands.saveImage();
        const QByteArray svg = readFile(dir.filePath(QStringLiteral("trace.svg")));
        QVERIFY(svg.contains("stroke=\"#ff0000\"")); // the curves' colour
        QSvgRenderer renderer(svg);
        QImage drawn(445, 364, QImage::Format_RGB32);
        QPainter painter(&drawn);
        renderer.render(&painter, QRectF(0, 0, 445, 364));
        painter.end();
        const QImage bitmap = surface.image().convertToFormat(QImage::Format_RGB32);
        int differing = 0;
        for (int y = 0; y < 364; ++y)
            for (int x = 0; x < 445; ++x) {
                const QRgb a = drawn.pixel(x, y), b = bitmap.pixel(x, y);
                differing += std::max({ std::abs(qRed(a) - qRed(b)),
                                 std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) })
                        > 127
                    ? 1
                    : 0;
            }
        // Only smoothing differs: one curve short of the four would leave hundreds of pixels.
        QVERIFY(pixelsOfColour(bitmap, qRgb(255, 0, 0)) > 1000);
        QVERIFY2(differing < 200, qPrintable(QString::number(differing)));
    }

    void aVectorPictureOfMoreCallsThanAreKeptIsReported()
    {
        QTemporaryDir dir;
        Commands rig;
        Canvas& canvas = rig.surface.canvas();
        for (int i = 0; i < 2'000'001; ++i)
            canvas.lineTo(i % 2, 0);
        const QString path = dir.filePath(QStringLiteral("plot.pdf"));
        rig.dialogs.push(DialogService::SaveChoice { path, 3 });
        QString error;
        try {
            rig.commands.saveImage();
        } catch (const Error& e) {
            error = QString::fromUtf8(e.what());
        }
        QCOMPARE(error, QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" を作成できません"));
        QVERIFY(!QFile::exists(path));
        // The next whole redraw starts the log afresh.
        paintPattern(rig.surface);
        rig.dialogs.push(DialogService::SaveChoice { path, 3 });
        rig.commands.saveImage();
        QVERIFY(readFile(path).startsWith("%PDF-"));
    }

    void theDialogStartsFromTheLastNameAndCancelWritesNothing()
    {
        QTemporaryDir dir;
        Commands rig;
        const QString first = dir.filePath(QStringLiteral("first"));
        rig.dialogs.push(first);
        rig.dialogs.push(ScriptedDialogService::Cancel {});
        rig.commands.saveImage();
        rig.commands.saveImage();
        QCOMPARE(rig.dialogs.log().size(), 2);
        QVERIFY(rig.dialogs.log()[1].endsWith(
            QStringLiteral(": bmp: ") + first + QStringLiteral(".bmp")));
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::Files), QStringList({ QStringLiteral("first.bmp") }));
    }

    void anExistingFileIsReplacedWithoutAQuestion()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.bmp"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        Commands rig;
        rig.dialogs.push(path);
        rig.commands.saveImage();
        QVERIFY(!rig.dialogs.log().first().endsWith(QStringLiteral("confirm")));
        QCOMPARE(readFile(path).size(), 486358);
    }

    void aFileThatCannotBeCreatedIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/plot.bmp"));
        Commands rig;
        rig.dialogs.push(path);
        QString error;
        try {
            rig.commands.saveImage();
        } catch (const Error& e) {
            error = QString::fromUtf8(e.what());
        }
        QCOMPARE(error, QStringLiteral("ﾌｧｲﾙ ") + path + QStringLiteral(" を作成できません"));
    }

    void copyPutsThePictureOnTheClipboardReplacingText()
    {
        Commands rig;
        QGuiApplication::clipboard()->setText(QStringLiteral("text before"));
        rig.commands.copyPicture();
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(445, 364));
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32),
            rig.surface.image().convertToFormat(QImage::Format_RGB32));
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    }

    void traceModeCopiesEveryCurveDrawnSinceTheLastClear()
    {
        Document document;
        QImageSurface surface(445, 364);
        PlotView view(document, surface);
        view.initialiseView();
        GraphEntry line;
        line.name = "line";
        line.visible = -1;
        line.color = 0x0000FF;
        line.width = 1;
        line.formula1 = "x+a";
        document.appendEntry(line);
        view.RedrawPlot();
        view.toggleTraceMode();
        document.setText(Setting::ValA, "3");
        view.RedrawPlot();
        const int traced = pixelsOfColour(surface.image(), qRgb(255, 0, 0));

        ScriptedDialogService dialogs;
        PrintPage page;
        OutputCommands commands(nullptr, dialogs, surface, page);
        commands.copyPicture();
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(pixelsOfColour(copied, qRgb(255, 0, 0)), traced);

        view.toggleTraceMode();
        view.RedrawPlot();
        const int single = pixelsOfColour(surface.image(), qRgb(255, 0, 0));
        QVERIFY(single > 100);
        QVERIFY(traced > single + single / 2); // both lines, not one
    }

    void anotherProgramReadsTheCopyAsBmp()
    {
        const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
        if (xclip.isEmpty() || xvfb.isEmpty())
            QSKIP("xclip or xvfb-run is not installed");
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("clip.bmp"));
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        helper.setProcessEnvironment(env);
        helper.start(xvfb,
            { QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                QStringLiteral("--clipboard-helper"), out });
        QVERIFY(helper.waitForFinished(60000));
        QCOMPARE(helper.exitCode(), 0);
        const QImage read = QImage::fromData(readFile(out), "BMP");
        Commands rig;
        QCOMPARE(read.convertToFormat(QImage::Format_RGB32),
            rig.surface.image().convertToFormat(QImage::Format_RGB32));
    }
};

int runPictureTest(int argc, char** argv)
{
    PictureTest test;
    return QTest::qExec(&test, argc, argv);
}

// Run under Xvfb by the test above: copies the pattern and, while the event loop serves the
// clipboard, lets xclip read it as image/bmp into outPath.
int runClipboardHelper(const QString& outPath)
{
    Commands rig;
    rig.commands.copyPicture();
    QProcess xclip;
    xclip.setStandardOutputFile(outPath);
    xclip.start(QStringLiteral("xclip"),
        { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
            QStringLiteral("image/bmp"), QStringLiteral("-o") });
    QEventLoop loop;
    QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (xclip.state() != QProcess::NotRunning)
        loop.exec();
    return xclip.exitCode() == 0 && QFile(outPath).size() > 54 ? 0 : 1;
}

#include "picture_test.moc"
