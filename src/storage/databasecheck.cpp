#include "storage/databasecheck.h"

#include "storage/schema.h"
#include "storage/sqlitefile.h"
#include "storage/storageerror.h"

#include <QFile>
#include <QFileInfo>

namespace folio {

namespace {

void checkHeader(const QString &path, const QString &operation)
{
    static const QByteArray magic("SQLite format 3\0", 16);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StorageError(operation, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (file.read(magic.size()) != magic)
        throw StorageError(operation, QStringLiteral("%1 is damaged or is not a database file").arg(path));
}

void checkContents(const QString &path, const QString &operation)
{
    SqliteFile db(path, SqliteFile::Access::ReadOnly, operation);
    const QString name = QFileInfo(path).fileName();
    if (db.scalar(QStringLiteral("PRAGMA application_id")).toLongLong() != FolioApplicationId)
        throw StorageError(operation, QStringLiteral("%1 is not a Folio Keeper database").arg(name));
    const int version = db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
    if (version > FolioSchemaVersion)
        throw StorageError(operation, QStringLiteral("%1 was written by a newer version of Folio Keeper "
                                                     "(data version %2)").arg(name).arg(version));
    const bool tablesPresent =
        db.compiles(QStringLiteral("SELECT %1 FROM DirTable LIMIT 0").arg(QLatin1String(DirTableColumns)))
        && db.compiles(QStringLiteral("SELECT %1 FROM DocTable LIMIT 0").arg(QLatin1String(DocTableColumns)));
    if (!tablesPresent)
        throw StorageError(operation, QStringLiteral("%1 lacks the folder or document table").arg(name));
    // A file cut short in its last page still passes the structure check.
    const qint64 expectedSize = db.scalar(QStringLiteral("PRAGMA page_count")).toLongLong()
                                * db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
    if (QFileInfo(path).size() != expectedSize)
        throw StorageError(operation, QStringLiteral("%1 is damaged (its size does not match its pages)").arg(name));
    // Mapped reads make the check of a large file about twice as fast.
    db.scalar(QStringLiteral("PRAGMA mmap_size = 2000000000"));
    const QString verdict = db.scalar(QStringLiteral("PRAGMA quick_check")).toString();
    if (verdict != QLatin1String("ok"))
        throw StorageError(operation, QStringLiteral("%1 is damaged (%2)").arg(name, verdict));
}

} // namespace

void checkDatabaseFile(const QString &path, const QString &operation)
{
    checkHeader(path, operation);
    try {
        checkContents(path, operation);
    } catch (const StorageError &e) {
        // An engine error while reading the file ("database disk image is
        // malformed") says the same as a failed check: refuse the file.
        if (e.detail().contains(QFileInfo(path).fileName()))
            throw;
        throw StorageError(operation, QStringLiteral("%1 is damaged: %2").arg(QFileInfo(path).fileName(), e.detail()));
    }
}

} // namespace folio
