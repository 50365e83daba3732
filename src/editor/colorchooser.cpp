#include "editor/colorchooser.h"

#include <QColorDialog>

namespace folio {

std::optional<quint32> DialogColorChooser::chooseColor(quint32 initial, QWidget *parent)
{
    const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, parent, QStringLiteral("Fore Color"));
    if (!chosen.isValid())
        return std::nullopt;
    return quint32(chosen.red()) | quint32(chosen.green()) << 8 | quint32(chosen.blue()) << 16;
}

QString colorToHtml(quint32 color)
{
    QString h = QString::number(color, 16).toUpper();
    if (h.size() < 6)
        h = QString(6 - h.size(), QLatin1Char('0')) + h;
    return QLatin1Char('#') + h.right(2) + h.mid(2, 2) + h.left(2);
}

} // namespace folio
