#include "editor/htmlcolor.h"

namespace folio {

QString colorToHtml(quint32 color)
{
    QString h = QString::number(color, 16).toUpper();
    if (h.size() < 6)
        h = QString(6 - h.size(), QLatin1Char('0')) + h;
    return QLatin1Char('#') + h.right(2) + h.mid(2, 2) + h.left(2);
}

} // namespace folio
