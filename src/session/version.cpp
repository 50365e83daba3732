#include "session/version.h"

namespace folio {

static QString twoDigits(int part)
{
    return (QStringLiteral("00") + QString::number(part)).right(2);
}

QString makeAppVersion(int major, int minor, int revision)
{
    return twoDigits(major) + QLatin1Char('.') + twoDigits(minor) + QLatin1Char('.') + twoDigits(revision);
}

QString appVersion()
{
    return makeAppVersion(FOLIO_VERSION_MAJOR, FOLIO_VERSION_MINOR, FOLIO_VERSION_PATCH);
}

} // namespace folio
