#pragma once

class QWidget;

namespace folio {

// Keeps `window` above all other windows when `onTop` is the design's True
// (-1); any other value, 1 included, takes it out of that band. Position
// and size stay as they are.
inline constexpr int TopmostTrue = -1;
void setWindowTopmost(QWidget *window, int onTop);

} // namespace folio
