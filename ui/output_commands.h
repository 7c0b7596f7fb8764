#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace velquor {

class DialogService;
class PrintPage;
class QImageSurface;

// "ｺﾋﾟｰ(&C)", "画像として保存(&G)...", "印刷(&P)..." and "ﾍﾟｰｼﾞ設定(&R)...": the plot picture
// of the back surface, exactly as last drawn, to the clipboard, a bitmap file and the page.
class OutputCommands
{
public:
    OutputCommands(
        QWidget* window, DialogService& dialogs, QImageSurface& surface, PrintPage& printPage);

    // The surface in use (the main window switches it with the display mode).
    void setSurface(QImageSurface& surface) { m_surface = &surface; }

    void copyPicture();
    // Throws Error("ﾌｧｲﾙ %s を作成できません") when the file cannot be written.
    void saveImage();
    void print();
    void pageSetup();

    // The chosen name with ".bmp" added when it has no extension.
    static QString withDefaultExtension(const QString& name);
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
    PrintPage& m_printPage;
    QString m_lastFileName
        = QStringLiteral("untitled"); // the save dialog starts with the last name chosen
    std::function<void(QWidget&)> m_onPreviewShown;
};

} // namespace velquor
