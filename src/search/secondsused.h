#pragma once

#include <QString>

namespace folio {

// The time a search took as panel 3 of the find dialog shows it: cut down
// to hundredths, a blank where a sign would stand and no zero before the
// point: " .05", " 1.2", " 12", " 0".
QString secondsUsedText(double seconds);

} // namespace folio
