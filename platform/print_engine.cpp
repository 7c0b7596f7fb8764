#include "print_engine.h"

#include "platform/painter_canvas.h"
#include "render/picture_log.h"

#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QScreen>
#include <QTimer>
#include <cmath>

namespace velquor {

namespace {

    double mmToDevice(double mm, int resolution)
    {
        return mm * resolution / 25.4;
    }

    bool runPrintDialog(QPrinter& printer, QWidget* parent)
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    bool runPageSetupDialog(QPrinter& printer, QWidget* parent)
    {
        QPageSetupDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    // The choices the printer set-up carries from one printer object to the other.
    void copyChoices(const QPrinter& from, QPrinter& to)
    {
        if (from.outputFormat() == QPrinter::NativeFormat)
            to.setPrinterName(from.printerName());
        else
            to.setOutputFileName(from.outputFileName());
        to.setPageOrientation(from.pageLayout().orientation());
        to.setCopyCount(from.copyCount());
        to.setPrintRange(from.printRange());
        to.setFromTo(from.fromPage(), from.toPage());
    }

} // namespace

PrintEngine::PrintEngine(double screenDpi)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , m_screenDpi(screenDpi > 0 ? screenDpi : 96.0)
    , m_runDialog(runPrintDialog)
    , m_runPageSetup(runPageSetupDialog)
    , m_available([] { return !QPrinterInfo::availablePrinterNames().isEmpty(); })
{
    applyPageSettings();
}

PrintEngine::~PrintEngine() = default;

void PrintEngine::applyPageSettings()
{
    QPrinter& printer = *m_printer;
    // The item is placed from the paper's corner, so the painter works on the full page; the
    // margins are still recorded in the layout for the preview and the print dialog.
    printer.setFullPage(true);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(
        QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    printer.setPaperSource(QPrinter::Upper);
    printer.setDocName(m_title);
}

void PrintEngine::setTitle(const QString& title)
{
    m_title = title;
    m_printer->setDocName(title);
}

void PrintEngine::setPicture(const QImage& picture, std::shared_ptr<const PictureLog> vectors)
{
    m_picture = picture.copy();
    m_vectors = std::move(vectors);
}

QRectF PrintEngine::itemRect(int resolution) const
{
    return QRectF(mmToDevice(ItemLeftMm, resolution), mmToDevice(ItemTopMm, resolution),
        mmToDevice(ItemWidthMm, resolution), mmToDevice(ItemHeightMm, resolution));
}

QRectF PrintEngine::pictureRect(int resolution) const
{
    const QRectF item = itemRect(resolution);
    const double width = m_picture.width() * resolution / m_screenDpi;
    const double height = m_picture.height() * resolution / m_screenDpi;
    const double offsetX = std::trunc((item.width() - width) / 2);
    const double offsetY = std::trunc((item.height() - height) / 2);
    return QRectF(item.left() + offsetX, item.top() + offsetY, width, height);
}

void PrintEngine::renderPage(QPainter& painter, QPrinter& printer) const
{
    renderPage(painter, printer.resolution());
}

void PrintEngine::renderPage(QPainter& painter, int resolution) const
{
    if (m_picture.isNull())
        return;
    const QRectF place = pictureRect(resolution);
    painter.save();
    // The vector lines reach a little beyond the picture, which the bitmap cuts off.
    painter.setClipRect(itemRect(resolution).intersected(place));
    if (m_vectors) {
        // The canvas calls in picture pixels, scaled to the printer's units: lines, texts and
        // fills as sharp as the printer prints them, on the pixels the bitmap paints.
        painter.translate(place.topLeft());
        painter.scale(resolution / m_screenDpi, resolution / m_screenDpi);
        PainterCanvas canvas(painter, m_picture.width(), m_picture.height());
        m_vectors->replay(canvas);
        canvas.finish();
    } else {
        // Qt's PDF output (the print file and the printer's job) stores pictures as JPEG
        // unless told otherwise, which rings around every line and digit.
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(place, m_picture);
    }
    painter.restore();
}

void PrintEngine::preview(QWidget* parent, const std::function<void(QWidget&)>& onShown)
{
    QPrintPreviewDialog dialog(m_printer.get(), parent);
    dialog.setWindowTitle(m_title);
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* printer) {
            QPainter painter(printer);
            renderPage(painter, *printer);
        });
    if (onShown)
        QTimer::singleShot(0, &dialog, [&dialog, onShown] { onShown(dialog); });
    // Sized to the screen as well, for window managers that ignore the maximised state.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.setGeometry(screen->availableGeometry());
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
}

bool PrintEngine::setup(QWidget* parent)
{
    if (!m_available())
        return setUpPdfPage(parent);
    // The dialog edits a copy, so a cancel leaves every setting as it was.
    QPrinter choice(QPrinter::HighResolution);
    choice.setOutputFormat(m_printer->outputFormat());
    copyChoices(*m_printer, choice);
    if (!m_runDialog(choice, parent))
        return false;
    m_printer->setOutputFormat(choice.outputFormat());
    copyChoices(choice, *m_printer);
    return true;
}

bool PrintEngine::setUpPdfPage(QWidget* parent)
{
    // Without a printer the preview prints to a PDF file, so the page set-up is that of the
    // PDF printer; the dialog edits a copy of the layout, so a cancel leaves it as it was.
    QPrinter choice(QPrinter::HighResolution);
    choice.setOutputFormat(QPrinter::PdfFormat);
    choice.setFullPage(true);
    choice.setPageLayout(m_printer->pageLayout());
    if (!m_runPageSetup(choice, parent))
        return false;
    if (m_printer->outputFormat() != QPrinter::PdfFormat)
        m_printer->setOutputFormat(QPrinter::PdfFormat);
    return m_printer->setPageLayout(choice.pageLayout());
}

} // namespace velquor
