#include "search/searchindexbuilder.h"

#include "session/session.h"
#include "storage/searchindex.h"
#include "storage/storageerror.h"
#include "widgets/notices.h"

#include <QMetaObject>
#include <QPointer>

namespace folio {

SearchIndexBuilder::SearchIndexBuilder(Session &session, Notices &notices, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_notices(notices)
{
    connect(&session, &Session::aboutToReopen, this, &SearchIndexBuilder::stop);
    connect(&session, &Session::reopened, this, &SearchIndexBuilder::startIfNeeded);
}

SearchIndexBuilder::~SearchIndexBuilder()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

void SearchIndexBuilder::startIfNeeded()
{
    Database &db = m_session.database();
    if (isBuilding() || !db.isOpen() || !db.isWritable())
        return;
    bool needed = false;
    m_notices.guard([&] {
        const SearchIndex index(db.connection());
        needed = !index.isInstalled() || index.hasPending() || !db.searchRowsCounted();
    });
    if (!needed)
        return;
    m_cancel = false;
    const QString path = db.filePath();
    const int build = ++m_build;
    QPointer<SearchIndexBuilder> self(this);
    m_thread = std::thread([this, self, path, build] {
        QString failure;
        try {
            catchUpSearchIndex(path, [&](qint64 done, qint64 total) {
                QMetaObject::invokeMethod(this, [self, done, total] {
                    if (self)
                        Q_EMIT self->progressed(done, total);
                }, Qt::QueuedConnection);
            }, &m_cancel);
        } catch (const StorageError &e) {
            failure = e.userText();
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(this, [self, build, failure] {
            if (self)
                self->workerEnded(build, failure);
        }, Qt::QueuedConnection);
    });
    Q_EMIT started();
}

void SearchIndexBuilder::workerEnded(int build, const QString &failure)
{
    // stop() may have waited for this build already, and another one may
    // have started since.
    if (build != m_build || !m_thread.joinable())
        return;
    m_thread.join();
    if (!failure.isEmpty() && !m_cancel)
        m_notices.failure(failure);
    else if (!m_cancel && m_session.database().isOpen())
        m_session.database().setSearchRowsCounted();
    Q_EMIT ended();
}

void SearchIndexBuilder::stop()
{
    if (!m_thread.joinable())
        return;
    m_cancel = true;
    m_thread.join();
    Q_EMIT ended();
}

} // namespace folio
