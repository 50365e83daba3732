#include "update/networkversionsource.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace folio {

NetworkVersionSource::NetworkVersionSource(QUrl url, std::chrono::milliseconds limit, qint64 cap, QObject *parent)
    : VersionSource(parent)
    , m_url(std::move(url))
    , m_cap(cap)
    , m_network(new QNetworkAccessManager(this))
{
    m_limit.setSingleShot(true);
    m_limit.setInterval(limit);
    connect(&m_limit, &QTimer::timeout, this, &NetworkVersionSource::giveUp);
}

NetworkVersionSource::~NetworkVersionSource()
{
    cancel();
}

void NetworkVersionSource::fetch()
{
    cancel();
    m_body.clear();
    m_capped = false;
    const QString scheme = m_url.scheme().toLower();
    if (!m_url.isValid() || (scheme != u"http" && scheme != u"https")) {
        // Reported from the event loop like any other outcome, so the
        // caller never sees a signal from inside its own fetch() call.
        m_invalidPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_invalidPending)
                    return;
                m_invalidPending = false;
                Q_EMIT failed(QStringLiteral("no valid web address"));
            },
            Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(m_cap + 1);
    connect(m_reply, &QIODevice::readyRead, this, &NetworkVersionSource::readAvailable);
    connect(m_reply, &QNetworkReply::finished, this, &NetworkVersionSource::finish);
    m_limit.start();
}

void NetworkVersionSource::cancel()
{
    m_invalidPending = false;
    m_limit.stop();
    dropReply();
}

void NetworkVersionSource::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void NetworkVersionSource::readAvailable()
{
    if (!m_reply)
        return;
    m_body += m_reply->read(m_cap - m_body.size());
    if (m_body.size() >= m_cap && m_reply->bytesAvailable() > 0) {
        // More than the cap: keep the first bytes (the version sits at the
        // start), stop reading the rest.
        m_capped = true;
        finish();
    }
}

void NetworkVersionSource::finish()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    if (!m_capped)
        m_body += reply->read(m_cap - m_body.size());
    const QNetworkReply::NetworkError error = m_capped ? QNetworkReply::NoError : reply->error();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString errorText = reply->errorString();
    cancel();
    if (error != QNetworkReply::NoError)
        Q_EMIT failed(errorText);
    else if (status != 0 && (status < 200 || status > 299))
        Q_EMIT failed(QStringLiteral("the server answered %1").arg(status));
    else
        Q_EMIT fetched(m_body);
}

void NetworkVersionSource::giveUp()
{
    if (!m_reply)
        return;
    dropReply();
    Q_EMIT failed(QStringLiteral("no answer within %1 seconds").arg(m_limit.interval() / 1000.0));
}

} // namespace folio
