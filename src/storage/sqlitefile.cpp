#include "storage/sqlitefile.h"

#include "storage/storageerror.h"

#include <QFile>
#include <sqlite3.h>

namespace folio {

namespace {

// Frees a prepared statement on every path.
struct Statement
{
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

} // namespace

SqliteFile::SqliteFile(const QString &path, Access access, QString operation)
    : m_operation(std::move(operation))
{
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    // sqlite3_open_v2 makes a handle even when it fails, and a constructor
    // that throws gets no destructor: the handle is closed here instead.
    try {
        // Without SQLITE_OPEN_CREATE a missing file is an error, never a new empty database.
        const int rc =
            sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
        sqlite3_extended_result_codes(m_db, 1);
    } catch (...) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteFile::~SqliteFile()
{
    sqlite3_close_v2(m_db);
}

void SqliteFile::fail(int code)
{
    QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    if (why.isEmpty() || why == QLatin1String("not an error"))
        why = QString::fromUtf8(sqlite3_errstr(code));
    throw StorageError(m_operation, why);
}

void SqliteFile::exec(const QString &sql, const QStringList &values)
{
    Statement s;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s.stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray text = values.at(i).toUtf8();
        rc = sqlite3_bind_text(s.stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(rc);
}

QVariant SqliteFile::scalar(const QString &sql)
{
    Statement s;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s.stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    rc = sqlite3_step(s.stmt);
    if (rc == SQLITE_DONE)
        return {};
    if (rc != SQLITE_ROW)
        fail(rc);
    switch (sqlite3_column_type(s.stmt, 0)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(s.stmt, 0)));
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.stmt, 0)));
    }
}

bool SqliteFile::compiles(const QString &sql)
{
    Statement s;
    return sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s.stmt, nullptr) == SQLITE_OK;
}

} // namespace folio
