#include "storage/statement.h"

#include "storage/storageerror.h"

#include <QSqlError>

namespace folio {

namespace {

QString describe(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    return text;
}

} // namespace

void prepareOrThrow(QSqlQuery &query, const QString &sql, const QString &operation)
{
    if (!query.prepare(sql))
        throw StorageError(operation, describe(query.lastError()));
}

void execOrThrow(QSqlQuery &query, const QString &operation)
{
    if (!query.exec())
        throw StorageError(operation, describe(query.lastError()));
}

QSqlQuery runStatement(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                       const QString &operation)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    prepareOrThrow(q, sql, operation);
    for (const QVariant &value : values)
        q.addBindValue(value);
    execOrThrow(q, operation);
    return q;
}

} // namespace folio
