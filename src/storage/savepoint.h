#pragma once

#include "storage/storageerror.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace folio {

// A change that is kept whole: everything between construction and
// release() is written together or not at all. Unlike Transaction it may
// run inside a transaction the caller already holds (the generator writes
// hundreds of documents in one), and then becomes part of it.
class Savepoint
{
public:
    Savepoint(QSqlDatabase db, QString operation) : m_db(std::move(db)), m_operation(std::move(operation))
    {
        run(QStringLiteral("SAVEPOINT folio_change"));
    }
    ~Savepoint()
    {
        if (m_done)
            return;
        QSqlQuery rollback(m_db);
        rollback.exec(QStringLiteral("ROLLBACK TO folio_change"));
        rollback.exec(QStringLiteral("RELEASE folio_change"));
    }
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void release()
    {
        run(QStringLiteral("RELEASE folio_change"));
        m_done = true;
    }

private:
    void run(const QString &sql)
    {
        QSqlQuery query(m_db);
        if (!query.exec(sql))
            throw StorageError(m_operation, query.lastError().databaseText());
    }

    QSqlDatabase m_db;
    QString m_operation;
    bool m_done = false;
};

} // namespace folio
