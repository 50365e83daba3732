#include "update/siteaddress.h"

#include <QtGlobal>

namespace folio {

QUrl siteBaseUrl()
{
    const QString configured = qEnvironmentVariable(SiteUrlVariable).trimmed();
    const QUrl base(configured.isEmpty() ? QString::fromLatin1(DefaultSiteUrl) : configured, QUrl::StrictMode);
    const QString scheme = base.scheme().toLower();
    if (!base.isValid() || base.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
        qWarning("%s is not an http or https address: %s", SiteUrlVariable, qPrintable(configured));
        return QUrl();
    }
    return base;
}

QUrl siteUrl(const QUrl &base, const QString &path)
{
    if (!base.isValid())
        return QUrl();
    QUrl url = base;
    QString prefix = base.path();
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    url.setPath(prefix + path);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

QUrl siteUrl(const QString &path)
{
    return siteUrl(siteBaseUrl(), path);
}

} // namespace folio
