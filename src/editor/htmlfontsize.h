#pragma once

#include <QtGlobal>

// HTML font sizes 1 to 7 and the point sizes the editor gives them:
// 8, 10, 12, 14, 18, 24 and 36 points.

namespace folio {

inline constexpr int MinHtmlFontSize = 1;
inline constexpr int MaxHtmlFontSize = 7;

// The point size of HTML size `htmlSize`; 0 when it is not 1 to 7.
qreal pointSizeForHtmlSize(int htmlSize);

// The HTML size whose point size is nearest to `points` (the smaller one on
// a tie); 0 for a size that is not positive.
int htmlSizeForPointSize(qreal points);

} // namespace folio
