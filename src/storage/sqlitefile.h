#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;

namespace folio {

// A private SQLite connection to one file, for whole-file work (checks,
// compaction, backup) that runs on a worker thread: it never shares the
// program's Qt connection. Every failure throws StorageError naming
// `operation`.
class SqliteFile
{
public:
    // Inspect reads the file as it lies on disk: nothing is written and no
    // journal, -wal or -shm file is made or played back beside it.
    // Create makes the file when it is missing.
    enum class Access { ReadOnly, ReadWrite, Inspect, Create };

    SqliteFile(const QString &path, Access access, QString operation);
    ~SqliteFile();
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    // Runs one statement with its text values bound in order (?1, ?2, ...).
    void exec(const QString &sql, const QStringList &values = {});
    // Runs every statement of `sql` in turn.
    void runScript(const QString &sql);
    // The first column of the first row, or an invalid value without rows.
    QVariant scalar(const QString &sql);

    sqlite3 *handle() const { return m_db; }
    const QString &operation() const { return m_operation; }

private:
    sqlite3 *m_db = nullptr;
    QString m_operation;
};

} // namespace folio
