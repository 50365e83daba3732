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
    void bind(int index, qint64 number)
    {
        if (sqlite3_bind_int64(m_statement, index, number) != SQLITE_OK)
            fail();
    }
    // Binds a named parameter (":name"); a name the statement does not use
    // is passed over, so one set of values can serve several statements.
    void bind(const char *name, const QByteArray &utf8)
    {
        if (const int index = sqlite3_bind_parameter_index(m_statement, name))
            bind(index, utf8);
    }
    void bind(const char *name, qint64 number)
    {
        if (const int index = sqlite3_bind_parameter_index(m_statement, name))
            bind(index, number);
    }
    // Makes the statement ready to run again; bound values stay.
    void reset() { sqlite3_reset(m_statement); }
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
