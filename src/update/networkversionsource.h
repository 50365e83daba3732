#pragma once

#include "update/versionsource.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace folio {

// Fetches the version file over http or https without blocking the window.
// Certificates are checked (Qt's default; no error is ever ignored). The
// whole request, connection and all, must end within `limit` or it is
// aborted. At most `cap` bytes are read: the file is a few characters, and
// a server that sends more does not get to fill the memory.
class NetworkVersionSource : public VersionSource
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultLimit{60000};
    static constexpr qint64 DefaultCap = 4096;

    explicit NetworkVersionSource(QUrl url, std::chrono::milliseconds limit = DefaultLimit,
                                  qint64 cap = DefaultCap, QObject *parent = nullptr);
    ~NetworkVersionSource() override;

    void fetch() override;
    void cancel() override;

    QUrl url() const { return m_url; }

private:
    void readAvailable();
    void finish();
    void giveUp();
    void dropReply();

    QUrl m_url;
    qint64 m_cap;
    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_limit;
    QByteArray m_body;
    bool m_capped = false;
    bool m_invalidPending = false;
};

} // namespace folio
