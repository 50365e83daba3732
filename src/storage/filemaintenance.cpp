#include "storage/filemaintenance.h"

#include "storage/database.h"
#include "storage/databasecheck.h"
#include "storage/databasecopy.h"
#include "storage/sqlitefile.h"
#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folio {

namespace {

QString journalOf(const QString &database)
{
    return database + QStringLiteral("-journal");
}

// Removes a file left by an interrupted run, with its journal.
void removeLeftover(const QString &path, const QString &operation)
{
    for (const QString &file : {path, journalOf(path)}) {
        QFile leftover(file);
        if (leftover.exists() && !leftover.remove())
            throw StorageError(operation, QStringLiteral("cannot remove the leftover %1: %2")
                                              .arg(file, leftover.errorString()));
    }
}

// A journal beside KB97.MDB holds a change that was not finished. SQLite
// would play it back into whatever file carries the name next, so a file
// must not be put in place while it exists.
void refuseUnfinishedChange(const QString &live, const QString &operation)
{
    if (QFileInfo::exists(journalOf(live)))
        throw StorageError(operation, QStringLiteral("%1 exists: a change to the database was not finished. "
                                                     "Try again once the database has been opened.")
                                          .arg(QFileInfo(journalOf(live)).fileName()));
}

void requireFile(const QString &path, const QString &operation)
{
    if (!QFileInfo(path).isFile())
        throw StorageError(operation, QStringLiteral("%1 is missing").arg(QFileInfo(path).fileName()));
}

// Watches the output of VACUUM INTO as it grows (to at most the size of
// the source): reports progress by its size, and starts writing what is
// there to the disk, so that the flush afterwards has little left to wait
// for (the kernel would otherwise hold most of it in memory until then).
class VacuumWatch
{
public:
    VacuumWatch(const QString &output, qint64 sourceSize, const ProgressFunction &progress)
        : m_output(QFile::encodeName(output)), m_sourceSize(qMax<qint64>(1, sourceSize)), m_progress(progress)
    {
    }
    ~VacuumWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    VacuumWatch(const VacuumWatch &) = delete;
    VacuumWatch &operator=(const VacuumWatch &) = delete;

    static int tick(void *self)
    {
        static_cast<VacuumWatch *>(self)->look();
        return 0;
    }

private:
    static constexpr qint64 WritebackStep = qint64(32) << 20;

    void look()
    {
        if (m_fd < 0)
            m_fd = ::open(m_output.constData(), O_RDONLY | O_CLOEXEC);  // made by the first page written
        struct stat status{};
        if (m_fd < 0 || ::fstat(m_fd, &status) != 0)
            return;
        if (status.st_size - m_started >= WritebackStep) {
            ::sync_file_range(m_fd, m_started, status.st_size - m_started, SYNC_FILE_RANGE_WRITE);
            m_started = status.st_size;
        }
        const int percent = int(qMin<qint64>(99, status.st_size * 100 / m_sourceSize));
        if (m_progress && percent != m_lastPercent) {
            m_lastPercent = percent;
            m_progress(percent);
        }
    }

    QByteArray m_output;
    qint64 m_sourceSize;
    const ProgressFunction &m_progress;
    int m_fd = -1;
    qint64 m_started = 0;
    int m_lastPercent = -1;
};

// Writes a compacted copy of `source` to `output` (which must not exist).
// VACUUM INTO neither flushes its output nor checks it; the caller does both.
void vacuumInto(const QString &source, const QString &output, const QString &operation,
                const ProgressFunction &progress)
{
    try {
        SqliteFile db(source, SqliteFile::Access::ReadWrite, operation);
        sqlite3_busy_timeout(db.handle(), 2000);
        // Mapped reads of the source spare a copy of every page.
        db.scalar(QStringLiteral("PRAGMA mmap_size = 2000000000"));
        VacuumWatch watch(output, QFileInfo(source).size(), progress);
        sqlite3_progress_handler(db.handle(), 20000, &VacuumWatch::tick, &watch);
        db.exec(QStringLiteral("VACUUM INTO ?1"), {output});
    } catch (...) {
        QFile::remove(output);
        QFile::remove(journalOf(output));
        throw;
    }
}

FileCheck checkAs(const QString &operation)
{
    return [operation](const QString &path) { checkDatabaseFile(path, operation); };
}

} // namespace

void compactDatabase(const QString &programDir, const ProgressFunction &progress)
{
    const QString operation = QStringLiteral("compact the database");
    const QDir dir(programDir);
    const QString live = dir.filePath(LiveDatabaseName);
    const QString output = dir.filePath(CompactionOutputName);
    requireFile(live, operation);
    removeLeftover(output, operation);
    vacuumInto(live, output, operation, progress);
    try {
        refuseUnfinishedChange(live, operation);
    } catch (...) {
        QFile::remove(output);
        throw;
    }
    installFile(output, live, operation, checkAs(operation));
    if (progress)
        progress(100);
}

void rebuildDatabase(const QString &programDir)
{
    const QString operation = QStringLiteral("rebuild the database");
    const QDir dir(programDir);
    const QString live = dir.filePath(LiveDatabaseName);
    const QString blank = dir.filePath(TemplateDatabaseName);
    requireFile(blank, operation);
    refuseUnfinishedChange(live, operation);
    copyFileAtomically(blank, live, operation, checkAs(operation));
}

QString backupDatabase(const QString &programDir, BackupPosition position, const QDateTime &when,
                       const ProgressFunction &progress)
{
    const QString operation =
        QStringLiteral("back up the database to position %1").arg(backupPositionKey(position));
    const QDir dir(programDir);
    const QString live = dir.filePath(LiveDatabaseName);
    const QString name = backupFileName(position, when);
    const QString target = dir.filePath(name);
    // One temporary name per position, so a leftover of any earlier run is found.
    const QString partial = dir.filePath(QStringLiteral("~%1.partial").arg(backupPrefix(position)));
    requireFile(live, operation);
    removeLeftover(partial, operation);
    {
        // A read transaction holds the shared lock while the bytes are
        // copied, so no change is written to the file meanwhile; taking it
        // plays back a journal left by an interrupted change first, as any
        // reader would.
        SqliteFile db(live, SqliteFile::Access::ReadWrite, operation);
        sqlite3_busy_timeout(db.handle(), 2000);
        db.exec(QStringLiteral("BEGIN"));
        db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        installCheckedCopy(live, partial, target, operation, progress);
    }

    // Only now that the new backup is safely in place does the previous one go.
    QStringList notRemoved;
    for (const QString &old : backupFilesAt(programDir, position)) {
        if (old != name && !QFile::remove(dir.filePath(old)))
            notRemoved << old;
    }
    flushToDisk(FlushKind::FolderEntries, dir.absolutePath());
    if (!notRemoved.isEmpty())
        throw StorageError(operation, QStringLiteral("the backup %1 was written, but the previous file %2 "
                                                     "could not be removed")
                                          .arg(name, notRemoved.join(QStringLiteral(", "))));
    return target;
}

void restoreDatabase(const QString &programDir, BackupPosition position, const ProgressFunction &progress)
{
    const QString operation =
        QStringLiteral("restore the database from position %1").arg(backupPositionKey(position));
    const QString live = QDir(programDir).filePath(LiveDatabaseName);
    const QString backup = backupFileAt(programDir, position);
    if (backup.isEmpty())
        throw StorageError(operation, QStringLiteral("position %1 holds no backup").arg(backupPositionKey(position)));
    refuseUnfinishedChange(live, operation);
    installCheckedCopy(backup, temporaryNameFor(live), live, operation, progress);
}

} // namespace folio
