#include "maintenance/workerrun.h"

#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>

namespace folio {

void runOnWorkerThread(const std::function<void(const ProgressFunction &progress)> &work,
                       const ProgressFunction &onProgress)
{
    QEventLoop loop;
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        // Only changes are passed on, so at most 101 calls reach the queue.
        int reported = -1;
        const ProgressFunction progress = [&](int percent) {
            if (!onProgress || percent == reported)
                return;
            reported = percent;
            QMetaObject::invokeMethod(&loop, [&onProgress, percent] { onProgress(percent); }, Qt::QueuedConnection);
        };
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    // Queued behind the last progress call, so every value arrives before the wait ends.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace folio
