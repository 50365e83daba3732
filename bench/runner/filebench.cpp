#include "runner/filebench.h"

#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "storage/filemaintenance.h"
#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>
#include <unistd.h>

namespace folio::bench {

namespace {

constexpr int CopyRuns = 2;        // per round
constexpr int OperationRuns = 1;   // per round

// The least any whole-file operation has to do: read every byte, write it
// to a new file and wait until the disk has it.
void plainCopyWithFlush(const QString &source, const QString &target)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot open the files of the plain copy");
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (qint64 n; (n = in.read(buffer.data(), buffer.size())) > 0;)
        if (out.write(buffer.constData(), n) != n)
            throw std::runtime_error("the plain copy could not be written");
    if (!out.flush() || ::fsync(out.handle()) != 0)
        throw std::runtime_error("the plain copy could not be flushed");
}

// Times the program's own file operation; a failure becomes a failed row.
BenchRow measureOperation(const QString &id, const QString &operation, const QString &size,
                          const QList<Goal> &goals, const std::function<void()> &work)
{
    try {
        return BenchRow::measured(id, operation, size, timeRuns(OperationRuns, work), goals);
    } catch (const StorageError &e) {
        return BenchRow::failed(id, operation, e.userText(), goals);
    }
}

} // namespace

void measureFileOperations(BenchSession &session, ResultTable &table)
{
    const QString live = session.liveDatabasePath();
    const QString copy = QDir(session.workDir()).filePath(QStringLiteral("plain-copy.tmp"));
    const QString size = QStringLiteral("%1 MB file").arg(QFileInfo(live).size() / 1e6, 0, 'f', 0);
    const QList<double> samples =
        timeRuns(CopyRuns, [&] { plainCopyWithFlush(live, copy); }, [&] { QFile::remove(copy); });
    QFile::remove(copy);
    table.add(BenchRow::measured("file-copy", QStringLiteral("plain file copy + flush (baseline)"), size, samples));

    // The storage functions the maintenance commands run on their worker
    // thread, with the program's connection closed as it is then.
    session.closeWindow();
    const QString dir = session.workDir();
    const Goal nearTheCopy = Goal::relativeTo("file-copy", 1.2, QStringLiteral("at most 1.2 times the copy"));
    const Goal twiceTheCopy = Goal::relativeTo("file-copy", 2.0, QStringLiteral("at most twice the copy"));
    table.add(measureOperation("compaction", QStringLiteral("compaction (VACUUM INTO, check, replace)"), size,
                               {twiceTheCopy}, [&] { compactDatabase(dir); }));
    table.add(measureOperation("backup", QStringLiteral("backup to position A"), size, {nearTheCopy},
                               [&] { backupDatabase(dir, BackupPosition::A, QDateTime::currentDateTime()); }));
    table.add(measureOperation("restore", QStringLiteral("restore from position A"), size, {nearTheCopy},
                               [&] { restoreDatabase(dir, BackupPosition::A); }));
}

} // namespace folio::bench
