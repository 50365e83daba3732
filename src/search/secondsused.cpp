#include "search/secondsused.h"

#include <cmath>

namespace folio {

QString secondsUsedText(double seconds)
{
    const qint64 hundredths = seconds > 0 ? qint64(std::floor(seconds * 100.0)) : 0;
    const qint64 whole = hundredths / 100;
    const int fraction = int(hundredths % 100);
    QString text = QStringLiteral(" ");
    if (whole != 0 || fraction == 0)
        text += QString::number(whole);
    if (fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 2, 10, QLatin1Char('0'));
        if (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return text;
}

} // namespace folio
