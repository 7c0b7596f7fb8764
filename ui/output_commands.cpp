#include "ui/output_commands.h"

#include "output/plot_picture.h"
#include "platform/clipboard.h"
#include "platform/dialog_service.h"
#include "platform/file_filter.h"
#include "platform/qimage_surface.h"
#include "ui/print_page.h"

#include <QFileInfo>
#include <QStringList>

namespace velquor {

namespace {

    const char* const SaveFilter = "Windows BMP (*.bmp)|*.bmp|すべてのファイル (*.*)|*.*";
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
}

QString OutputCommands::withDefaultExtension(const QString& name)
{
    if (QFileInfo(name).suffix().isEmpty() && !name.endsWith(QLatin1Char('.')))
        return name + QStringLiteral(".bmp");
    return name;
}

void OutputCommands::copyPicture()
{
    copyImageToClipboard(plotImage(*m_surface));
}

void OutputCommands::saveImage()
{
    const auto chosen = m_dialogs.saveFileName(
        qtFileFilter(QString::fromUtf8(SaveFilter)), QStringLiteral("bmp"), m_lastFileName, false);
    if (!chosen)
        return;
    const QString path = withDefaultExtension(*chosen);
    m_lastFileName = path;
    // A bitmap whatever the name's extension; a failed write leaves an existing file as it was.
    writeBitmapFile(path.toStdString(), *m_surface);
}

void OutputCommands::print()
{
    m_printPage.setPlotImage(plotImage(*m_surface));
    m_printPage.setTitle(QString::fromUtf8(PrintTitle));
    m_printPage.preview(m_window, m_onPreviewShown);
}

void OutputCommands::pageSetup()
{
    m_printPage.printerSetup(m_window);
}

} // namespace velquor
