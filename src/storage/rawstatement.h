#pragma once

#include "storage/storageerror.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <string_view>

namespace folio {

// The raw SQLite handle behind a Qt connection, or nullptr.
inline sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

// A statement on a raw SQLite connection: the program's own (through its
// Qt connection) or a private one on a file. Used for reads of tens of
// thousands of rows and megabytes of text, where the per-value cost of
// QSqlQuery shows, and for whole-file work. Storage-internal. Failures
// throw StorageError naming `operation`.
class RawStatement
{
public:
    // Compiles the first statement of `sql`; `rest` (if given) is pointed
    // at the text after it. Text without a statement makes one without rows.
    RawStatement(sqlite3 *db, QString operation, const char *sql, const char **rest = nullptr)
        : m_db(db), m_operation(std::move(operation))
    {
        if (!db)
            throw StorageError(m_operation, QStringLiteral("the database is not open"));
        check(sqlite3_prepare_v2(db, sql, -1, &m_statement, rest));
    }
    RawStatement(const QSqlDatabase &db, QString operation, const char *sql)
        : RawStatement(sqliteHandle(db), std::move(operation), sql)
    {
    }
    ~RawStatement() { sqlite3_finalize(m_statement); }
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    // True when `sql` compiles on `db` (its tables and columns exist); never throws.
    static bool compiles(sqlite3 *db, const QByteArray &sql)
    {
        sqlite3_stmt *statement = nullptr;
        const bool ok = db && sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK;
        sqlite3_finalize(statement);
        return ok;
    }

    void bind(int index, const QByteArray &utf8)
    {
        check(sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    }
    void bind(int index, qint64 number) { check(sqlite3_bind_int64(m_statement, index, number)); }
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
        if (!m_statement)
            return false;
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail(rc);
        return false;
    }
    // Steps through every row, for statements that change things.
    void run()
    {
        while (next()) {
        }
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
    // A number as qint64, text as QString, NULL as an invalid value.
    QVariant value(int column) const
    {
        switch (sqlite3_column_type(m_statement, column)) {
        case SQLITE_INTEGER:
            return number(column);
        case SQLITE_NULL:
            return {};
        default:
            return text(column);
        }
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            fail(rc);
    }
    [[noreturn]] void fail(int rc)
    {
        QString why = QString::fromUtf8(sqlite3_errmsg(m_db));
        if (why.isEmpty() || why == QLatin1String("not an error"))
            why = QString::fromUtf8(sqlite3_errstr(rc));
        throw StorageError(m_operation, why);
    }

    sqlite3 *m_db;
    QString m_operation;
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace folio
