#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <thread>

namespace folio {

class Notices;
class Session;

// Runs the history's thinning rules (thinHistory) on a worker thread with
// its own connection, a few seconds after the file was opened and after
// each save, so the window never waits for it. Stopped before the session
// replaces or closes the file and when the program ends; what was done
// stays done. A failure becomes a notice.
class HistoryThinner : public QObject
{
    Q_OBJECT
public:
    static constexpr int DelayMs = 3000;

    HistoryThinner(Session &session, Notices &notices, QObject *parent = nullptr);
    ~HistoryThinner() override;

    // Thins soon (a burst of saves is one run).
    void schedule();
    // Thins now, unless a run is going on or the file cannot be written.
    void startNow();
    // Asks a run to stop and waits for it (at most one short batch).
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    // The history's share of the base, in percent (foliok.ini, default 50).
    int share() const { return m_share; }

Q_SIGNALS:
    // A run ended; `removed` versions went (a failure is a notice instead).
    void finished(qint64 removed);

private:
    void workerEnded(int run, qint64 removed, const QString &failure);

    Session &m_session;
    Notices &m_notices;
    QTimer m_delay;
    std::thread m_thread;
    std::atomic<bool> m_cancel = false;
    int m_run = 0;
    int m_share = 50;
};

} // namespace folio
