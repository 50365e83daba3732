#include "storage/schema.h"

#include "storage/storageerror.h"

#include <QFile>
#include <sqlite3.h>

namespace folio {

void createDatabaseFile(const QString &path, const QString &schemaSql)
{
    const QString operation = QStringLiteral("create the database %1").arg(path);
    if (QFile::exists(path))
        throw StorageError(operation, QStringLiteral("the file already exists"));

    sqlite3 *db = nullptr;
    const QByteArray name = path.toUtf8();
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString why;
    if (rc == SQLITE_OK) {
        char *message = nullptr;
        rc = sqlite3_exec(db, schemaSql.toUtf8().constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK)
            why = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
        sqlite3_free(message);
    } else {
        why = QString::fromUtf8(sqlite3_errstr(rc));
    }
    if (sqlite3_close(db) != SQLITE_OK && why.isEmpty())
        why = QStringLiteral("the file could not be closed");
    if (!why.isEmpty()) {
        QFile::remove(path);
        throw StorageError(operation, why);
    }
}

} // namespace folio
