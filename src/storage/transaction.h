#pragma once

#include "storage/storageerror.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace folio {

// A transaction that rolls back unless committed, so an exception in the
// middle of a change leaves the file as it was.
//
// It takes the write lock at once (BEGIN IMMEDIATE). A deferred transaction
// that reads first and writes later cannot wait for another writer (the
// search indexer in the background): SQLite would fail it at once with
// "database is locked" instead of letting the busy timeout wait.
class Transaction
{
public:
    Transaction(QSqlDatabase db, QString operation) : m_db(std::move(db)), m_operation(std::move(operation))
    {
        QSqlQuery begin(m_db);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw StorageError(m_operation, begin.lastError().databaseText());
    }
    ~Transaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit()
    {
        m_done = true;
        if (!m_db.commit()) {
            const QString why = m_db.lastError().text();
            m_db.rollback();
            throw StorageError(m_operation, why.isEmpty() ? QStringLiteral("the change could not be written") : why);
        }
    }

private:
    QSqlDatabase m_db;
    QString m_operation;
    bool m_done = false;
};

} // namespace folio
