#include "history/historythinner.h"

#include "session/session.h"
#include "session/settings.h"
#include "storage/historystore.h"
#include "storage/storageerror.h"
#include "widgets/notices.h"

#include <QDateTime>
#include <QPointer>

namespace folio {

HistoryThinner::HistoryThinner(Session &session, Notices &notices, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_notices(notices)
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(DelayMs);
    connect(&m_delay, &QTimer::timeout, this, &HistoryThinner::startNow);
    connect(&session, &Session::aboutToReopen, this, &HistoryThinner::stop);
    connect(&session, &Session::reopened, this, &HistoryThinner::schedule);
}

HistoryThinner::~HistoryThinner()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

void HistoryThinner::schedule()
{
    m_delay.start();
}

void HistoryThinner::startNow()
{
    if (isRunning()) {
        // Saves made meanwhile are thinned by the next run.
        m_delay.start();
        return;
    }
    Database &db = m_session.database();
    if (!db.isOpen() || !db.isWritable())
        return;
    m_share = SettingsFile(m_session.programDir()).readHistoryShare(ThinningRules{}.shareOfFile);
    ThinningRules rules;
    rules.shareOfFile = m_share;
    m_cancel = false;
    const QString path = db.filePath();
    const int run = ++m_run;
    QPointer<HistoryThinner> self(this);
    m_thread = std::thread([this, self, path, rules, run] {
        qint64 removed = 0;
        QString failure;
        try {
            removed = thinHistory(path, QDateTime::currentDateTimeUtc(), rules, &m_cancel);
        } catch (const StorageError &e) {
            failure = e.userText();
        }
        QMetaObject::invokeMethod(this, [self, run, removed, failure] {
            if (self)
                self->workerEnded(run, removed, failure);
        }, Qt::QueuedConnection);
    });
}

void HistoryThinner::workerEnded(int run, qint64 removed, const QString &failure)
{
    // stop() may have waited for this run already, and another may have begun.
    if (run != m_run || !m_thread.joinable())
        return;
    m_thread.join();
    if (!failure.isEmpty() && !m_cancel)
        m_notices.failure(failure);
    else
        Q_EMIT finished(removed);
}

void HistoryThinner::stop()
{
    m_delay.stop();
    if (!m_thread.joinable())
        return;
    m_cancel = true;
    m_thread.join();
}

} // namespace folio
