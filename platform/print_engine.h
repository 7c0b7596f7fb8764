#pragma once

#include <QImage>
#include <QPrinter>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QWidget;

namespace velquor {

class PictureLog;

// The print page: one page holding one image item, the plot picture, set up once at start-up
// and kept for the whole run. Stands in for the report engine's page definition, preview and
// printer set-up.
class PrintEngine
{
public:
    // The item's place on the page, in millimetres from the paper's top-left corner.
    static constexpr double ItemLeftMm = 15.54;
    static constexpr double ItemTopMm = 13.89;
    static constexpr double ItemWidthMm = 151.47;
    static constexpr double ItemHeightMm = 227.87;
    static constexpr double MarginMm = 15.0;

    // screenDpi: the screen's logical resolution; one picture pixel prints as 1/screenDpi inch.
    explicit PrintEngine(double screenDpi = 96.0);
    ~PrintEngine();

    QPrinter& printer() { return *m_printer; }
    const QString& title() const { return m_title; }
    // The title is the preview's caption and the print job's name.
    void setTitle(const QString& title);
    const QImage& picture() const { return m_picture; }
    // The item keeps its own copy: later changes of the plot do not reach the page. vectors:
    // the canvas calls that made the whole picture, when they are known; the page then draws
    // them at the printer's resolution instead of printing the pixels.
    void setPicture(const QImage& picture, std::shared_ptr<const PictureLog> vectors = nullptr);
    bool printsVectors() const { return m_vectors != nullptr; }
    double screenDpi() const { return m_screenDpi; }

    // Paints the page on a painter opened on `printer` (full-page coordinates): the picture
    // at one pixel per 1/screenDpi inch, centred in the item (offset truncated toward zero in
    // printer units) and clipped to it; as vectors when they are known, else the pixels
    // without lossy compression.
    void renderPage(QPainter& painter, QPrinter& printer) const;
    // The same for a painter whose device has `resolution` units to the inch.
    void renderPage(QPainter& painter, int resolution) const;
    // The item and the picture's rectangle in printer device units at that resolution.
    QRectF itemRect(int resolution) const;
    QRectF pictureRect(int resolution) const;

    // Opens the preview (maximised) and returns when it has been closed; the event loop runs
    // meanwhile. onShown, when set, is called once the preview window is up (tests).
    void preview(QWidget* parent, const std::function<void(QWidget&)>& onShown = {});

    // The printer set-up: the print dialog on a copy of the settings, preset with the copies;
    // confirmed copies, printer, orientation and page range are kept, a cancel changes
    // nothing. With no printer installed, the page is printed to PDF files: the page set-up
    // dialog of the PDF printer, on a copy of the page layout, whose confirmed paper,
    // orientation and margins are kept. Returns whether settings changed.
    bool setup(QWidget* parent);
    // Replace the modal print dialog and the page set-up dialog (tests); they return true
    // when the user confirmed.
    using DialogRunner = std::function<bool(QPrinter& printer, QWidget* parent)>;
    void setDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    void setPageSetupRunner(DialogRunner runner) { m_runPageSetup = std::move(runner); }
    // Replaces the check for an installed printer (tests).
    void setPrinterAvailable(std::function<bool()> available)
    {
        m_available = std::move(available);
    }

private:
    void applyPageSettings();
    bool setUpPdfPage(QWidget* parent);

    std::unique_ptr<QPrinter> m_printer;
    QString m_title;
    QImage m_picture;
    std::shared_ptr<const PictureLog> m_vectors;
    double m_screenDpi;
    DialogRunner m_runDialog;
    DialogRunner m_runPageSetup;
    std::function<bool()> m_available;
};

} // namespace velquor
