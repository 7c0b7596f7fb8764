#include "clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

namespace velquor {

void copyImageToClipboard(const QImage& picture)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture.convertToFormat(QImage::Format_RGB888));
}

} // namespace velquor
