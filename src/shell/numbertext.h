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

} // namespace folio
