#include "runner/filebench.h"

#include "runner/benchsession.h"
#include "runner/resulttable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>
#include <unistd.h>

namespace folio::bench {

namespace {

constexpr int CopyRuns = 2;   // per round

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

    // Compaction, backup and restore are not part of the program yet; their
    // issues replace these rows with measurements of the real operations.
    const Goal noSlowerThanCopy = Goal::relativeTo("file-copy", 1.0, QStringLiteral("no slower than the copy"));
    table.add(BenchRow::notBuiltYet("compaction", QStringLiteral("compaction"), size, {noSlowerThanCopy}));
    table.add(BenchRow::notBuiltYet("backup", QStringLiteral("backup"), size, {noSlowerThanCopy}));
    table.add(BenchRow::notBuiltYet("restore", QStringLiteral("restore"), size));
}

} // namespace folio::bench
