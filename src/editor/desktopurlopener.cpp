#include "editor/desktopurlopener.h"

#include <QDesktopServices>

namespace folio {

void DesktopUrlOpener::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

} // namespace folio
