#pragma once

#include <QIcon>
#include <QString>

namespace folio {

// The picture of a toolbar command, drawn from the desktop style's standard
// pictures or painted here; an empty icon for a key without a picture.
QIcon commandIcon(const QString &key);

} // namespace folio
