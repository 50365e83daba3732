#include "storage/storageerror.h"

#include <QSqlError>
#include <QSqlQuery>

namespace folio {

StorageError::StorageError(QString operation, QString detail)
    : std::runtime_error(QStringLiteral("%1: %2").arg(operation, detail).toStdString())
    , m_operation(std::move(operation))
    , m_detail(std::move(detail))
{
}

QString StorageError::userText() const
{
    return QStringLiteral("Could not %1: %2").arg(m_operation, m_detail);
}

static QString describe(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("unknown database error");
    return text;
}

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

} // namespace folio
