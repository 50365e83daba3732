#pragma once

#include "layout/panelayout.h"

#include <QIcon>

namespace folio {

// The picture of a sizing key, drawn at whatever size and pixel ratio the
// bar asks for, so that it stays sharp on any screen.
QIcon sizingKeyIcon(SizingKey key);

} // namespace folio
