#pragma once

#include "session/instancelock.h"
#include "storage/database.h"
#include "storage/documentstore.h"
#include "storage/folderstore.h"

#include <QObject>
#include <functional>

namespace folio {

// How a start of the session ended.
enum class SessionStart { Opened, AlreadyRunning, DatabaseProblem };

// Owns what a running program holds of its program folder: the instance
// lock, the one database connection, the stores and the version kept in
// the settings file. Anything that replaces KB97.MDB under a running window
// goes through reopen(), and every pane reloads on reopened().
class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(QString programDir, QObject *parent = nullptr);
    ~Session() override;

    struct OpenOutcome
    {
        SessionStart status = SessionStart::DatabaseProblem;
        QString message;   // for the user when not opened
        bool ok() const { return status == SessionStart::Opened; }
    };

    // Takes the lock, reads the settings version (`appVersion` when none is
    // stored) and opens the database. On failure nothing has been written
    // and the lock is released.
    OpenOutcome open(const QString &appVersion);
    // Closes the database, writes the settings version and releases the
    // lock; each step runs whatever happened to the one before. Idempotent.
    void close();
    bool isOpen() const { return m_open; }

    // Closes the connection, runs `replaceFile` (which puts a new KB97.MDB
    // in place in one step, or throws and leaves the old one), opens the
    // file again and announces reopened(). The announcement comes on every
    // path, so the panes never show rows of a file that is gone. A failure
    // of the replacement or of the new open is thrown after that.
    void reopen(const std::function<void()> &replaceFile);

    Database &database() { return m_db; }
    FolderStore &folders() { return m_folders; }
    DocumentStore &documents() { return m_documents; }
    QString programDir() const { return m_programDir; }
    const QString &storedVersion() const { return m_storedVersion; }

Q_SIGNALS:
    // The connection is about to close for a replacement of the file.
    void aboutToReopen();
    // The file was (possibly) replaced and the connection opened again:
    // every pane reads what it shows anew.
    void reopened();

private:
    QString m_programDir;
    InstanceLock m_lock;
    Database m_db;
    FolderStore m_folders;
    DocumentStore m_documents;
    QString m_storedVersion;
    bool m_open = false;
};

} // namespace folio
