#pragma once

#include "storage/atomicfile.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace folio {

// Runs one piece of work on a worker thread while the window goes on:
// progress arrives as a signal, the user may cancel, and the end is
// announced with what failed (empty when nothing did). Going away cancels
// the work and waits for it.
class BackgroundJob : public QObject
{
    Q_OBJECT
public:
    using Work = std::function<void(const std::atomic<bool> &cancel, const ProgressFunction &progress)>;

    explicit BackgroundJob(QObject *parent = nullptr);
    ~BackgroundJob() override;

    void start(Work work);
    void cancel() { m_cancel = true; }
    bool isCancelled() const { return m_cancel; }
    bool isRunning() const { return m_thread != nullptr; }

Q_SIGNALS:
    void progressed(int percent);
    void finished(const QString &failure);

private:
    void ended();

    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_reported{-1};
    QString m_failure;
};

} // namespace folio
