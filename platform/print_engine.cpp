#include "print_engine.h"

#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
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

void PrintEngine::setPicture(const QImage& picture)
{
    m_picture = picture.copy();
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
    if (m_picture.isNull())
        return;
    const int resolution = printer.resolution();
    painter.save();
    painter.setClipRect(itemRect(resolution));
    painter.drawImage(pictureRect(resolution), m_picture);
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
        return false;
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

} // namespace velquor
