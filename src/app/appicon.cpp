#include "app/appicon.h"

namespace folio {

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/foliokeeper.svg"));
}

} // namespace folio
