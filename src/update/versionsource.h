#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace folio {

// Where the version file comes from. fetch() starts one request and
// returns at once; exactly one of fetched() or failed() follows, unless
// cancel() comes first, after which neither does.
class VersionSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void fetch() = 0;
    virtual void cancel() = 0;

Q_SIGNALS:
    void fetched(const QByteArray &bytes);
    void failed(const QString &reason);
};

} // namespace folio
