#pragma once

#include <QIcon>

namespace folio {

// The program's own icon (resources/icons/foliokeeper.svg, built in), the
// same picture the desktop shows in its menu.
QIcon applicationIcon();

} // namespace folio
