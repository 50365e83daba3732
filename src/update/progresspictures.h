#pragma once

#include <QList>
#include <QPixmap>

namespace folio {

// Artwork of the progress animation, drawn in code: the empty track and ten
// fill pictures of 300 x 50 pixels in different colours.
inline constexpr int ProgressPictureWidth = 300;
inline constexpr int ProgressPictureHeight = 50;

QPixmap makeProgressTrack();
QList<QPixmap> makeProgressFills();

} // namespace folio
