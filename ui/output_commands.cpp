#include "ui/output_commands.h"

#include "calc/error.h"
#include "output/plot_picture.h"
#include "output/vector_picture.h"
#include "platform/clipboard.h"
#include "platform/dialog_service.h"
#include "platform/file_filter.h"
#include "platform/qimage_surface.h"
#include "ui/print_page.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <memory>

namespace velquor {

namespace {

    const char* const SaveFilter = "Windows BMP (*.bmp)|*.bmp|PNG (*.png)|*.png|SVG (*.svg)|*.svg|"
                                   "PDF (*.pdf)|*.pdf|すべてのファイル (*.*)|*.*";
    // The format of each entry of the filter, in its order; the last ("すべてのファイル") writes
    // the bitmap, as the whole filter did before the other formats came.
    enum class PictureFormat { Bitmap, Png, Svg, Pdf };
    constexpr PictureFormat FilterFormats[] = { PictureFormat::Bitmap, PictureFormat::Png,
        PictureFormat::Svg, PictureFormat::Pdf, PictureFormat::Bitmap };
    const char* const FilterExtensions[] = { "bmp", "png", "svg", "pdf", "bmp" };
    const char* const PrintTitle = "グラフの印刷";

    // The plot picture as an image: the back surface's pixels at 24 bits; the canvas is
    // released afterwards, as after every use of it.
    QImage plotImage(QImageSurface& surface)
    {
        QImage picture = surface.image().convertToFormat(QImage::Format_RGB888);
        surface.canvas().release();
        return picture;
    }

} // namespace

OutputCommands::OutputCommands(
    QWidget* window, DialogService& dialogs, QImageSurface& surface, PrintPage& printPage)
    : m_window(window)
    , m_dialogs(dialogs)
    , m_surface(&surface)
    , m_printPage(printPage)
{
    m_surface->setPictureLog(&m_pictureLog);
}

OutputCommands::~OutputCommands()
{
    m_surface->setPictureLog(nullptr);
}

void OutputCommands::setSurface(QImageSurface& surface)
{
    m_surface->setPictureLog(nullptr);
    m_surface = &surface;
    // What the new surface shows was not logged: the log starts with its next whole redraw.
    m_pictureLog = PictureLog();
    m_surface->setPictureLog(&m_pictureLog);
}

QString OutputCommands::withDefaultExtension(const QString& name, const QString& extension)
{
    if (QFileInfo(name).suffix().isEmpty() && !name.endsWith(QLatin1Char('.')))
        return name + QLatin1Char('.') + extension;
    return name;
}

void OutputCommands::copyPicture()
{
    copyImageToClipboard(plotImage(*m_surface));
}

void OutputCommands::saveImage()
{
    const auto chosen = m_dialogs.saveFileNameAndFilter(
        qtFileFilter(QString::fromUtf8(SaveFilter)), QStringLiteral("bmp"), m_lastFileName, false);
    if (!chosen)
        return;
    const int entry = std::clamp(chosen->filterIndex, 0, int(std::size(FilterFormats)) - 1);
    const QString path
        = withDefaultExtension(chosen->path, QString::fromLatin1(FilterExtensions[entry]));
    m_lastFileName = path;
    // The format is the selected entry's whatever the name's extension; a failed write leaves
    // an existing file as it was.
    const std::string target = path.toStdString();
    switch (FilterFormats[entry]) {
    case PictureFormat::Bitmap:
        writeBitmapFile(target, *m_surface);
        return;
    case PictureFormat::Png:
        writePngFile(target, *m_surface);
        return;
    case PictureFormat::Svg:
    case PictureFormat::Pdf: {
        if (!m_pictureLog.complete())
            throw Error(formatMessage(CannotCreateMessage, target));
        VectorPicture picture(FilterFormats[entry] == PictureFormat::Svg
                ? VectorPicture::Format::Svg
                : VectorPicture::Format::Pdf,
            m_surface->width(), m_surface->height());
        m_pictureLog.replay(picture.canvas());
        m_surface->canvas().release();
        writeVectorFile(target, picture);
        return;
    }
    }
}

void OutputCommands::print()
{
    // The page prints the canvas calls when they make the whole picture (the log keeps a
    // bounded number), else the pixels; either is the page's own copy.
    std::shared_ptr<const PictureLog> vectors;
    if (m_pictureLog.complete())
        vectors = std::make_shared<const PictureLog>(m_pictureLog);
    m_printPage.setPlotImage(plotImage(*m_surface), std::move(vectors));
    m_printPage.setTitle(QString::fromUtf8(PrintTitle));
    m_printPage.preview(m_window, m_onPreviewShown);
}

void OutputCommands::pageSetup()
{
    m_printPage.printerSetup(m_window);
}

} // namespace velquor
