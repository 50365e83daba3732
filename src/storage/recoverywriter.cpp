#include "storage/recoverywriter.h"

#include "storage/storageerror.h"

namespace folio {

RecoveryWriter::RecoveryWriter(QString programDir, Report report)
    : m_file(std::move(programDir))
    , m_report(std::move(report))
    , m_thread([this] { run(); })
{
}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void RecoveryWriter::write(RecoveredEdit edit)
{
    {
        std::lock_guard lock(m_mutex);
        // Only the newest words matter: an older write still waiting goes.
        if (!m_queue.empty() && !m_queue.back().remove)
            m_queue.back().edit = std::move(edit);
        else
            m_queue.push_back({false, std::move(edit)});
    }
    m_wake.notify_one();
}

void RecoveryWriter::remove()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_queue.empty() && !m_queue.back().remove)
            m_queue.pop_back();  // never written: it need not be removed either
        m_queue.push_back({true, {}});
    }
    m_wake.notify_one();
}

void RecoveryWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_working; });
}

void RecoveryWriter::writeNow(const RecoveredEdit &edit)
{
    std::unique_lock lock(m_mutex);
    m_queue.clear();  // this edit is newer than anything still waiting
    m_idle.wait(lock, [this] { return !m_working; });
    m_file.write(edit);
}

void RecoveryWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return;  // stopping, and nothing left to do
        const Request request = std::move(m_queue.front());
        m_queue.pop_front();
        m_working = true;
        lock.unlock();
        carryOut(request);
        lock.lock();
        m_working = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void RecoveryWriter::carryOut(const Request &request)
{
    QString failure;
    try {
        if (request.remove)
            m_file.discard();
        else
            m_file.write(request.edit);
    } catch (const StorageError &e) {
        failure = e.userText();
    }
    if (m_report)
        m_report(failure);
}

} // namespace folio
