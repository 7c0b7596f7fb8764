#pragma once

#include "render/picture_log.h"

#include <QString>
#include <functional>

class QWidget;

namespace velquor {

class DialogService;
class PrintPage;
class QImageSurface;

// "ｺﾋﾟｰ(&C)", "画像として保存(&G)...", "印刷(&P)..." and "ﾍﾟｰｼﾞ設定(&R)...": the plot picture
// of the back surface, exactly as last drawn, to the clipboard, a picture file and the page.
// The commands keep the canvas calls that made the surface's picture, for the vector pictures.
class OutputCommands
{
public:
    OutputCommands(
        QWidget* window, DialogService& dialogs, QImageSurface& surface, PrintPage& printPage);
    ~OutputCommands();
    OutputCommands(const OutputCommands&) = delete;
    OutputCommands& operator=(const OutputCommands&) = delete;

    // The surface in use (the main window switches it with the display mode).
    void setSurface(QImageSurface& surface);

    void copyPicture();
    // The picture in the format of the dialog's selected filter entry: the bitmap file (also
    // for "すべてのファイル"), PNG with the same pixels, or SVG or PDF drawn from the calls
    // that made the picture. Throws Error("ﾌｧｲﾙ %s を作成できません") when the file cannot be
    // written (a vector picture also when the picture took more calls than are kept).
    void saveImage();
    // The page takes the picture's pixels and, while the log holds every call that made the
    // picture, a copy of the calls, which it prints as vectors.
    void print();
    // The printer set-up, or without a printer the page set-up of the PDF printer.
    void pageSetup();

    // The chosen name with ".bmp" (or the given extension) added when it has no extension.
    static QString withDefaultExtension(
        const QString& name, const QString& extension = QStringLiteral("bmp"));
    const QString& lastFileName() const { return m_lastFileName; }

    // Called with the preview window once it is up (tests).
    void setOnPreviewShown(std::function<void(QWidget&)> onShown)
    {
        m_onPreviewShown = std::move(onShown);
    }

private:
    QWidget* m_window;
    DialogService& m_dialogs;
    QImageSurface* m_surface;
    PictureLog m_pictureLog;
    PrintPage& m_printPage;
    QString m_lastFileName
        = QStringLiteral("untitled"); // the save dialog starts with the last name chosen
    std::function<void(QWidget&)> m_onPreviewShown;
};

} // namespace velquor
