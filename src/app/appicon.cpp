#include "app/appicon.h"

#include <QApplication>

namespace folio {

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/foliokeeper.svg"));
}

void setUpDesktopIdentity()
{
    // Without a desktop the icon theme is "hicolor", which holds application
    // icons only. Asking it for a toolbar picture finds nothing, after testing
    // a file name in each of its hundreds of folders in every icon folder
    // (about 2 ms a picture, a tenth of a second at start-up); the style's
    // own pictures are what is shown in the end anyway.
    if (QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeSearchPaths({QStringLiteral(":/icons")});
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("foliokeeper"));
}

} // namespace folio
