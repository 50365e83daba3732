#pragma once

#include "storage/rawstatement.h"
#include "storage/storageerror.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace folio {

// A change that is kept whole: everything between construction and
// release() is written together or not at all. Unlike Transaction it may
// run inside a transaction the caller already holds (the generator writes
// hundreds of documents in one), and then becomes part of it. On its own it
// opens a transaction that takes the write lock at once, for the reason
// given at Transaction.
class Savepoint
{
public:
    Savepoint(QSqlDatabase db, QString operation) : m_db(std::move(db)), m_operation(std::move(operation))
    {
        sqlite3 *handle = sqliteHandle(m_db);
        m_outermost = handle && sqlite3_get_autocommit(handle);
        if (m_outermost)
            run(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            run(QStringLiteral("SAVEPOINT folio_change"));
        } catch (...) {
            // A constructor that throws gets no destructor: without this the
            // transaction begun above, and its write lock, would stay open.
            if (m_outermost)
                QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    }
    ~Savepoint()
    {
        if (m_done)
            return;
        QSqlQuery rollback(m_db);
        rollback.exec(QStringLiteral("ROLLBACK TO folio_change"));
        rollback.exec(QStringLiteral("RELEASE folio_change"));
        if (m_outermost)
            rollback.exec(QStringLiteral("ROLLBACK"));
    }
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void release()
    {
        run(QStringLiteral("RELEASE folio_change"));
        if (m_outermost)
            run(QStringLiteral("COMMIT"));
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
    bool m_outermost = false;
};

} // namespace folio
