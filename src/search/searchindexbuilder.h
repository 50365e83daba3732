#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

namespace folio {

class Notices;
class Session;

// Builds the search index in the background: after the session opens (or
// reopens) a file with documents whose text is not extracted yet (a file
// without the index, an older backup, rows written by another tool), the
// extraction runs on a worker thread with its own connection, in short
// transactions, so the window stays usable. Stopped before the session
// replaces the file and when the program ends; what is done stays done.
class SearchIndexBuilder : public QObject
{
    Q_OBJECT
public:
    SearchIndexBuilder(Session &session, Notices &notices, QObject *parent = nullptr);
    ~SearchIndexBuilder() override;

    bool isBuilding() const { return m_thread.joinable(); }
    // Starts the build when rows wait for their text or the index is
    // missing; does nothing while a build runs or when the file cannot be
    // written.
    void startIfNeeded();
    // Asks the build to stop and waits for it (at most one short batch).
    void stop();

Q_SIGNALS:
    void started();
    void progressed(qint64 done, qint64 total);
    // The build ended, finished or not (a failure is reported as a notice).
    void ended();

private:
    void workerEnded(int build, const QString &failure);

    Session &m_session;
    Notices &m_notices;
    std::thread m_thread;
    std::atomic<bool> m_cancel = false;
    int m_build = 0;   // numbers the builds, so a late report of an old one is ignored
};

} // namespace folio
