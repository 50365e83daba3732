#include "storage/schema.h"

#include "storage/sqlitefile.h"
#include "storage/storageerror.h"

#include <QFile>

namespace folio {

void createDatabaseFile(const QString &path, const QString &schemaSql)
{
    const QString operation = QStringLiteral("create the database %1").arg(path);
    if (QFile::exists(path))
        throw StorageError(operation, QStringLiteral("the file already exists"));
    try {
        SqliteFile db(path, SqliteFile::Access::Create, operation);
        db.runScript(schemaSql);
    } catch (const StorageError &) {
        QFile::remove(path);
        throw;
    }
}

} // namespace folio
