#include "app/appicon.h"

#include <QApplication>

namespace folio {

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/foliokeeper.svg"));
}

void setUpDesktopIdentity()
{
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("foliokeeper"));
}

} // namespace folio
