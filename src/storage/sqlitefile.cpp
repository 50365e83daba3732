#include "storage/sqlitefile.h"

#include "storage/rawstatement.h"
#include "storage/storageerror.h"

#include <QFile>
#include <QUrl>
#include <sqlite3.h>

namespace folio {

namespace {

// Per Access, in its order. Only Create makes a file: for the others a
// missing file is an error, never a new empty database.
constexpr int OpenFlags[] = {SQLITE_OPEN_READONLY, SQLITE_OPEN_READWRITE, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE};

QByteArray openName(const QString &path, SqliteFile::Access access)
{
    if (access != SqliteFile::Access::Inspect)
        return QFile::encodeName(path);
    QUrl uri = QUrl::fromLocalFile(path);
    uri.setQuery(QStringLiteral("immutable=1"));
    return uri.toEncoded();
}

} // namespace

SqliteFile::SqliteFile(const QString &path, Access access, QString operation)
    : m_operation(std::move(operation))
{
    // sqlite3_open_v2 makes a handle even when it fails, and a constructor
    // that throws gets no destructor: the handle is closed here.
    const int rc = sqlite3_open_v2(openName(path, access).constData(), &m_db,
                                   OpenFlags[int(access)] | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
        if (why.isEmpty() || why == QLatin1String("not an error"))
            why = QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StorageError(m_operation, why);
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteFile::~SqliteFile()
{
    sqlite3_close_v2(m_db);
}

void SqliteFile::exec(const QString &sql, const QStringList &values)
{
    RawStatement statement(m_db, m_operation, sql.toUtf8().constData());
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values.at(i).toUtf8());
    statement.run();
}

void SqliteFile::runScript(const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    for (const char *rest = utf8.constData(); *rest;)
        RawStatement(m_db, m_operation, rest, &rest).run();
}

QVariant SqliteFile::scalar(const QString &sql)
{
    RawStatement statement(m_db, m_operation, sql.toUtf8().constData());
    return statement.next() ? statement.value(0) : QVariant();
}

} // namespace folio
