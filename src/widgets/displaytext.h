#pragma once

#include "storage/types.h"

#include <QString>

namespace folio {

// A document number as the program shows it: zero-filled to at least six
// digits; longer numbers are shown whole.
inline QString documentNumberText(DocNum num)
{
    return QString::number(num).rightJustified(6, QLatin1Char('0'));
}

// How much of a title the list and the status panels show: a title pasted
// from a whole book must not stall them. The stored title is never cut.
inline constexpr int TitleDisplayLength = 1000;

inline QString displayTitle(const QString &title)
{
    if (title.size() <= TitleDisplayLength)
        return title;
    return title.left(TitleDisplayLength) + QChar(0x2026);  // …
}

} // namespace folio
