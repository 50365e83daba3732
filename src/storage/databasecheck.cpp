#include "storage/databasecheck.h"

#include "storage/rawstatement.h"
#include "storage/schema.h"
#include "storage/sqlitefile.h"
#include "storage/storageerror.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace folio {

namespace {

const OpenResult Usable{OpenStatus::Opened, {}};

struct Examined
{
    QString path;
    QString name;
    bool opening;
};

// The file header (the first 100 bytes) holds the engine's mark, our
// application id and the schema version.
OpenResult readHeader(const Examined &f, QByteArray *header)
{
    QFile file(f.path);
    if (!file.open(QIODevice::ReadOnly))
        return {OpenStatus::Failed,
                (f.opening ? QStringLiteral("Cannot open %1: %2") : QStringLiteral("cannot read %1: %2"))
                    .arg(f.path, file.errorString())};
    *header = file.read(100);
    // An empty file is an empty database to the engine: opening finds our
    // tables missing, a replacement is refused at once.
    const bool noDatabase = header->isEmpty()
        ? !f.opening
        : header->size() < 100 || !header->startsWith(QByteArrayView("SQLite format 3\0", 16));
    if (noDatabase)
        return {OpenStatus::NotADatabase,
                (f.opening ? QStringLiteral("%1 is damaged or is not a Folio Keeper database (it is no database file).")
                           : QStringLiteral("%1 is damaged or is not a database file"))
                    .arg(f.path)};
    return Usable;
}

// Opening reads the stamp from the header bytes, so another program's file
// is named as such whatever else is in it. A replacement reads it through
// the engine, which first refuses a header it cannot use (a damaged file).
OpenResult checkStamp(const Examined &f, const QByteArray &header, SqliteFile &db)
{
    const bool raw = f.opening && !header.isEmpty();
    const qint64 appId = raw ? qFromBigEndian<qint32>(header.constData() + 68)
                             : db.scalar(QStringLiteral("PRAGMA application_id")).toLongLong();
    const int version = raw ? qFromBigEndian<qint32>(header.constData() + 60)
                            : db.scalar(QStringLiteral("PRAGMA user_version")).toInt();
    if (f.opening ? appId != 0 && appId != FolioApplicationId : appId != FolioApplicationId)
        return {OpenStatus::ForeignFile,
                f.opening ? QStringLiteral("%1 belongs to another program, not to Folio Keeper; it was left unchanged.")
                                .arg(f.path)
                          : QStringLiteral("%1 is not a Folio Keeper database").arg(f.name)};
    if (version > FolioSchemaVersion)
        return {OpenStatus::TooNew,
                f.opening ? QStringLiteral("%1 was written by a newer version of Folio Keeper (data version %2); "
                                           "this version reads up to %3. Please install the newer version.")
                                .arg(f.path)
                                .arg(version)
                                .arg(FolioSchemaVersion)
                          : QStringLiteral("%1 was written by a newer version of Folio Keeper (data version %2)")
                                .arg(f.name)
                                .arg(version)};
    return Usable;
}

OpenResult checkTables(const Examined &f, const SqliteFile &db)
{
    for (const auto &[table, columns] :
         {std::pair("DirTable", DirTableColumns), std::pair("DocTable", DocTableColumns)}) {
        const QString select = QStringLiteral("SELECT %1 FROM %2 LIMIT 0");
        if (!RawStatement::compiles(db.handle(), select.arg(QLatin1String(columns), QLatin1String(table)).toUtf8()))
            return {OpenStatus::MissingTables,
                    f.opening ? QStringLiteral("%1 is not a Folio Keeper database: the table %2 or one of its "
                                               "columns is missing.")
                                    .arg(f.path, QLatin1String(table))
                              : QStringLiteral("%1 lacks the folder or document table").arg(f.name)};
    }
    return Usable;
}

OpenResult checkPages(const Examined &f, SqliteFile &db)
{
    // A file cut short in its last page still passes the structure check.
    const qint64 expectedSize = db.scalar(QStringLiteral("PRAGMA page_count")).toLongLong()
                                * db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
    if (QFileInfo(f.path).size() != expectedSize)
        return {OpenStatus::NotADatabase,
                QStringLiteral("%1 is damaged (its size does not match its pages)").arg(f.name)};
    // Mapped reads make the check of a large file about twice as fast.
    db.scalar(QStringLiteral("PRAGMA mmap_size = 2000000000"));
    const QString verdict = db.scalar(QStringLiteral("PRAGMA quick_check")).toString();
    if (verdict != QLatin1String("ok"))
        return {OpenStatus::NotADatabase, QStringLiteral("%1 is damaged (%2)").arg(f.name, verdict)};
    return Usable;
}

// Everything past the header; engine failures throw StorageError.
OpenResult checkContents(const Examined &f, const QByteArray &header)
{
    SqliteFile db(f.path, SqliteFile::Access::Inspect, QString());
    OpenResult result = checkStamp(f, header, db);
    if (result.ok())
        result = checkTables(f, db);
    if (result.ok() && !f.opening)
        result = checkPages(f, db);
    return result;
}

} // namespace

OpenResult examineDatabaseFile(const QString &path, CheckPurpose purpose)
{
    const Examined f{path, QFileInfo(path).fileName(), purpose == CheckPurpose::Open};
    QByteArray header;
    const OpenResult readable = readHeader(f, &header);
    if (!readable.ok())
        return readable;
    try {
        return checkContents(f, header);
    } catch (const StorageError &e) {
        // An engine error while reading ("database disk image is malformed")
        // says the same as a failed check: the file is refused.
        return {OpenStatus::NotADatabase,
                (f.opening ? QStringLiteral("%1 is damaged or is not a Folio Keeper database (%2).")
                           : QStringLiteral("%1 is damaged: %2"))
                    .arg(f.opening ? path : f.name, e.detail())};
    }
}

void checkDatabaseFile(const QString &path, const QString &operation)
{
    const OpenResult result = examineDatabaseFile(path, CheckPurpose::Replace);
    if (!result.ok())
        throw StorageError(operation, result.message);
}

} // namespace folio
