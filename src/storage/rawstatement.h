#pragma once

#include "storage/storageerror.h"

#include <QString>
#include <sqlite3.h>
#include <string_view>

namespace folio {

// A statement on the raw SQLite connection, for reads of tens of thousands
// of rows and megabytes of text, where the per-value cost of QSqlQuery
// shows. Storage-internal. Failures throw StorageError naming `operation`.
class RawStatement
{
public:
    RawStatement(sqlite3 *db, QString operation, const char *sql) : m_db(db), m_operation(std::move(operation))
    {
        if (!db)
            throw StorageError(m_operation, QStringLiteral("the database is not open"));
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            fail();
    }
    ~RawStatement() { sqlite3_finalize(m_statement); }
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    void bind(int index, const QByteArray &utf8)
    {
        if (sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            fail();
    }
    bool next()
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail();
        return false;
    }
    qint64 number(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::string_view bytes(int column) const
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return text ? std::string_view(text, size_t(sqlite3_column_bytes(m_statement, column))) : std::string_view();
    }
    QString text(int column) const
    {
        const std::string_view b = bytes(column);
        return QString::fromUtf8(b.data(), qsizetype(b.size()));
    }

private:
    [[noreturn]] void fail() { throw StorageError(m_operation, QString::fromUtf8(sqlite3_errmsg(m_db))); }
    sqlite3 *m_db;
    QString m_operation;
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace folio
