#pragma once

#include <QString>
#include <QtGlobal>

namespace folio {

// "#RRGGBB" for a 0x00BBGGRR colour number: 255 (red) gives #FF0000.
QString colorToHtml(quint32 color);

} // namespace folio
