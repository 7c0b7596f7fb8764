#pragma once

#include <QImage>
#include <QPixmap>

namespace velquor {

// The program's own pictures, drawn in code with the 16 colours of the classic palette.
enum class ToolbarGlyph { New, Open, Save, Add, Origin, Settings, Help };

QPixmap toolbarGlyph(ToolbarGlyph glyph); // 24 x 24
QPixmap windowIcon(); // 16 x 16
QPixmap aboutTitlePicture(); // 421 x 157
QImage positionIcon(); // 16 x 16: an axis crossed by a rising zigzag
QImage constantsIcon(); // 16 x 16: "a" and "b" on either side of a shaded stroke

} // namespace velquor
