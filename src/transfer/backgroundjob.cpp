#include "transfer/backgroundjob.h"

#include "storage/storageerror.h"
#include "transfer/importmodel.h"

#include <QThread>

#include <exception>

namespace folio {

BackgroundJob::BackgroundJob(QObject *parent)
    : QObject(parent)
{
}

BackgroundJob::~BackgroundJob()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
    }
}

void BackgroundJob::start(Work work)
{
    if (m_thread)
        return;
    m_cancel = false;
    m_reported = -1;
    m_failure.clear();
    m_thread.reset(QThread::create([this, work = std::move(work)] {
        // Only changes are passed on, so at most 101 signals reach the queue.
        const ProgressFunction progress = [this](int percent) {
            if (m_reported.exchange(percent) != percent)
                QMetaObject::invokeMethod(this, [this, percent] { Q_EMIT progressed(percent); }, Qt::QueuedConnection);
        };
        try {
            work(m_cancel, progress);
        } catch (const StorageError &e) {
            m_failure = e.userText();
        } catch (const ImportFailure &e) {
            m_failure = e.message;
        } catch (const std::bad_alloc &) {
            m_failure = QStringLiteral("There was not enough memory for the work.");
        } catch (const std::exception &e) {
            m_failure = QString::fromLocal8Bit(e.what());
        }
    }));
    connect(m_thread.get(), &QThread::finished, this, &BackgroundJob::ended, Qt::QueuedConnection);
    m_thread->start();
}

void BackgroundJob::ended()
{
    if (!m_thread)
        return;
    m_thread->wait();
    m_thread.reset();
    Q_EMIT finished(m_failure);
}

} // namespace folio
