#include "storage/statement.h"

#include "storage/storageerror.h"

namespace folio {

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
