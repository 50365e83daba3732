#include "update/versionfile.h"

namespace folio {

QString versionFileText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

std::optional<QString> publishedVersion(const QString &text)
{
    const QLatin1String key(VersionFileKey);
    if (text.size() < 13 || !text.startsWith(key, Qt::CaseSensitive))
        return std::nullopt;
    return text.mid(key.size(), 8);
}

bool isNewerVersion(const QString &published, const QString &running)
{
    return QString::compare(published, running, Qt::CaseSensitive) > 0;
}

} // namespace folio
