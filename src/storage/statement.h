#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace folio {

// Statements on a Qt connection. Each throws a StorageError naming
// `operation` and saying what the engine answered when a step fails.

// Prepares `sql` on `db`, binds `values` to its placeholders in order and
// runs it. The query comes back positioned before its first row (forward only).
QSqlQuery runStatement(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                       const QString &operation);

// The two steps apart, for a statement prepared once and run many times.
void prepareOrThrow(QSqlQuery &query, const QString &sql, const QString &operation);
void execOrThrow(QSqlQuery &query, const QString &operation);

} // namespace folio
