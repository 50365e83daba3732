#include "storage/collectionfile.h"

#include "storage/nameorder.h"
#include "storage/statement.h"
#include "storage/storageerror.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <QSqlQuery>

namespace folio {

namespace {

QAtomicInteger<int> workerCounter;

const QString WriteOperation = QStringLiteral("import into the database");
const QString ReadOperation = QStringLiteral("read the documents to export");

} // namespace

WorkerConnection::WorkerConnection(const QString &path, const QString &operation)
    : m_name(QStringLiteral("folio-collection-%1").arg(workerCounter.fetchAndAddRelaxed(1)))
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            error = db.lastError().text();
        else if (!registerNameOrder(db))
            error = QStringLiteral("the database driver is not SQLite");
        else {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=FULL"));
            QSqlQuery(db).exec(QStringLiteral("PRAGMA trusted_schema=OFF"));
            // Another connection's short transactions (the search index
            // catching up) are waited for rather than failed on.
            QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout=20000"));
        }
    }
    if (!error.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        throw StorageError(operation, error);
    }
}

WorkerConnection::~WorkerConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase WorkerConnection::db() const
{
    return QSqlDatabase::database(m_name, false);
}

CollectionWriter::CollectionWriter(const QString &path)
    : m_connection(path, WriteOperation)
{
    runStatement(m_connection.db(), QStringLiteral("BEGIN IMMEDIATE"), {}, WriteOperation);
    m_open = true;
}

CollectionWriter::~CollectionWriter()
{
    if (m_open)
        QSqlQuery(m_connection.db()).exec(QStringLiteral("ROLLBACK"));
}

DirNum CollectionWriter::addFolder(const QString &name, DirNum parent)
{
    const QSqlQuery q = runStatement(
        m_connection.db(), QStringLiteral("INSERT INTO DirTable (DirName, Attr, Parent, Child) VALUES (?, ?, ?, 0)"),
        {textValue(name), attrForKind(parent == 0 ? FolderKind::Root : FolderKind::Sub), parent}, WriteOperation);
    return q.lastInsertId().toLongLong();
}

DocNum CollectionWriter::addDocument(DirNum folder, const QString &title, const QString &html,
                                     const QString &changed)
{
    const QSqlQuery q = runStatement(
        m_connection.db(), QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) VALUES (?, ?, ?, ?)"),
        {folder, textValue(title), textValue(html), textValue(changed)}, WriteOperation);
    return q.lastInsertId().toLongLong();
}

QStringList CollectionWriter::topFolderNames() const
{
    QSqlQuery q = runStatement(m_connection.db(),
                               QStringLiteral("SELECT DirName FROM DirTable WHERE Attr = 'R'"), {}, WriteOperation);
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

void CollectionWriter::commit()
{
    runStatement(m_connection.db(), QStringLiteral("COMMIT"), {}, WriteOperation);
    m_open = false;
}

CollectionReader::CollectionReader(const QString &path)
    : m_connection(path, ReadOperation)
{
}

QList<Folder> CollectionReader::folders() const
{
    QSqlQuery q = runStatement(
        m_connection.db(),
        QStringLiteral("SELECT DirNum, DirName, Attr, Parent FROM DirTable ORDER BY DirName COLLATE NAMEORDER, DirNum"),
        {}, ReadOperation);
    QList<Folder> rows;
    while (q.next()) {
        Folder f{q.value(0).toLongLong(), q.value(1).toString(), folderKindFromAttr(q.value(2).toString()),
                 q.value(3).toLongLong()};
        if (f.kind != FolderKind::Unreachable)
            rows.append(f);
    }
    return rows;
}

QList<DocumentSummary> CollectionReader::documents(DirNum folder) const
{
    QSqlQuery q = runStatement(m_connection.db(),
                               QStringLiteral("SELECT DocNum, DocName, ChgDate FROM DocTable WHERE DirNum = ? "
                                              "ORDER BY DocName COLLATE NAMEORDER, DocNum"),
                               {folder}, ReadOperation);
    QList<DocumentSummary> rows;
    while (q.next())
        rows.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
    return rows;
}

qint64 CollectionReader::documentCount() const
{
    QSqlQuery q = runStatement(m_connection.db(), QStringLiteral("SELECT COUNT(*) FROM DocTable"), {}, ReadOperation);
    return q.next() ? q.value(0).toLongLong() : 0;
}

std::optional<Document> CollectionReader::document(DocNum num) const
{
    QSqlQuery q = runStatement(m_connection.db(),
                               QStringLiteral("SELECT DocNum, DirNum, DocName, Text, ChgDate FROM DocTable WHERE DocNum = ?"),
                               {num}, ReadOperation);
    if (!q.next())
        return std::nullopt;
    return Document{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(), q.value(3).toString(),
                    q.value(4).toString()};
}

} // namespace folio
