#pragma once

#include "storage/recoveryfile.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace folio {

// Keeps the recovery file of a program folder up to date from a thread of
// its own, so that writing and flushing a large document never holds up
// the window. Requests are carried out in the order given; a newer edit
// replaces one that is still waiting. Each request's result is reported
// through `report` on the writer thread: an empty text when it succeeded,
// otherwise what failed.
class RecoveryWriter
{
public:
    using Report = std::function<void(const QString &failure)>;

    RecoveryWriter(QString programDir, Report report);
    // Carries out what is waiting, then stops the thread.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter &) = delete;
    RecoveryWriter &operator=(const RecoveryWriter &) = delete;

    void write(RecoveredEdit edit);
    void remove();
    // Waits until every request given so far has been carried out.
    void flush();
    // Writes `edit` on the calling thread once the queue is empty, for when
    // the program is about to end. Throws StorageError.
    void writeNow(const RecoveredEdit &edit);

private:
    struct Request
    {
        bool remove = false;
        RecoveredEdit edit;
    };
    void run();
    void carryOut(const Request &request);

    RecoveryFile m_file;
    Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Request> m_queue;
    bool m_working = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace folio
