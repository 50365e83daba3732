#pragma once

#include <QColor>
#include <QPalette>

namespace folio {

// The contrast of two colours as the accessibility guidelines measure it:
// 1 (none) to 21 (black on white). Text wants at least 4.5.
double contrastRatio(const QColor &a, const QColor &b);

// Whether a palette draws light text on dark windows.
bool isDarkPalette(const QPalette &palette);

// A dark palette for desktops that give none: every text role at least
// 4.5:1 against the background it is drawn on.
QPalette darkPalette();

// Turns the program's dark palette on, or gives the desktop's own palette
// back (the one the program started with). The desktop's palette is
// followed as it is when it is dark itself.
void applyDarkColours(bool on);

// The colours of a document's paper: it keeps its own colours on white,
// whatever the window's palette.
void keepPaperColours(QWidget *viewport);

} // namespace folio
