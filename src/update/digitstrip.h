#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

class QLabel;

namespace folio {

// The digit strip: 18 cells of 14 x 20 pixels side by side. Cells 0-9 hold
// the digits, then blank, ":", ";", "-", "'", ".", ","; cell 17 stays empty.
inline constexpr int DigitCells = 18;
inline constexpr int DigitCellWidth = 14;
inline constexpr int DigitCellHeight = 20;
inline const QColor DigitBackground(18, 28, 22);
inline const QColor DigitLit(96, 255, 136);

// The strip, drawn in code as lit segments on a dark ground.
QPixmap makeDigitStrip();
// The strip cell of `c`, or -1 when the strip has no glyph for it.
int digitCell(QChar c);
// Draws `text` into the picture box `display` with glyphs from `strip`, one
// cell per character. A character without a glyph leaves its cell empty and
// later characters keep their places. The box becomes as wide as the text's
// cells and as high as the strip.
void displayDigital(QLabel *display, const QString &text, const QPixmap &strip);

} // namespace folio
