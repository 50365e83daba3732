#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace folio {

// Prepares `sql` on `db`, binds `values` to its placeholders in order and
// runs it, throwing a StorageError naming `operation` when a step fails.
// The query comes back positioned before its first row (forward only).
QSqlQuery runStatement(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                       const QString &operation);

} // namespace folio
