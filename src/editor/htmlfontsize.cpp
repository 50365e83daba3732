#include "editor/htmlfontsize.h"

#include <array>
#include <cmath>

namespace folio {

namespace {
constexpr std::array<qreal, 7> PointSizes = {8, 10, 12, 14, 18, 24, 36};
}

qreal pointSizeForHtmlSize(int htmlSize)
{
    if (htmlSize < MinHtmlFontSize || htmlSize > MaxHtmlFontSize)
        return 0;
    return PointSizes[htmlSize - 1];
}

int htmlSizeForPointSize(qreal points)
{
    if (!(points > 0))
        return 0;
    int best = 0;
    for (int i = 1; i < int(PointSizes.size()); ++i) {
        if (std::abs(PointSizes[i] - points) < std::abs(PointSizes[best] - points))
            best = i;
    }
    return best + 1;
}

} // namespace folio
