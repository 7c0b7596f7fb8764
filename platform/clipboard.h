#pragma once

class QImage;

namespace velquor {

// Replaces whatever the clipboard holds (text too) by the picture as one 24-bit image; the
// platform offers it in its own image formats (image/bmp and image/png on X11).
void copyImageToClipboard(const QImage& picture);

} // namespace velquor
