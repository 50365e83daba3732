#include "storage/documentstore.h"

#include "storage/database.h"
#include "storage/nameorder.h"
#include "storage/savepoint.h"
#include "storage/searchindex.h"
#include "storage/statement.h"
#include "storage/storageerror.h"
#include "storage/transaction.h"

#include <QSqlQuery>
#include <QVariant>

namespace folio {

namespace {
const QString ChangeDateFormat = QStringLiteral("MM-dd-yyyy HH:mm:ss");
}

QString formatChangeDate(const QDateTime &moment)
{
    return moment.toLocalTime().toString(ChangeDateFormat);
}

qint64 changeDateSortKey(QStringView text)
{
    // MM-dd-yyyy HH:mm:ss: digits at fixed places, separators between.
    static constexpr char shape[] = "00-00-0000 00:00:00";
    text = text.trimmed();
    if (text.size() != qsizetype(sizeof(shape) - 1))
        return -1;
    qint64 fields[6] = {};
    int field = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (shape[i] == '0') {
            if (c < u'0' || c > u'9')
                return -1;
            fields[field] = fields[field] * 10 + (c - u'0');
        } else if (c != char16_t(shape[i])) {
            return -1;
        } else {
            ++field;
        }
    }
    const qint64 month = fields[0], day = fields[1], year = fields[2];
    return ((((year * 100 + month) * 100 + day) * 100 + fields[3]) * 100 + fields[4]) * 100 + fields[5];
}

QList<DocumentSummary> DocumentStore::listDocuments(DirNum folder) const
{
    QSqlQuery q = runStatement(m_db.connection(),
                               QStringLiteral("SELECT DocNum, substr(DocName, 1, %2), ChgDate FROM DocTable WHERE DirNum = ? "
                                              "ORDER BY DocName COLLATE %1, DocNum")
                                   .arg(QLatin1String(NameOrderCollation))
                                   .arg(ListedTitleLength),
                               {folder}, QStringLiteral("read the documents of the folder"));
    QList<DocumentSummary> documents;
    while (q.next())
        documents.append(DocumentSummary{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
    return documents;
}

std::optional<Document> DocumentStore::readDocument(DocNum num) const
{
    QSqlQuery q = runStatement(m_db.connection(),
                               QStringLiteral("SELECT DocNum, DirNum, DocName, Text, ChgDate FROM DocTable "
                                              "WHERE DocNum = ?"),
                               {num}, QStringLiteral("read the document"));
    if (!q.next())
        return std::nullopt;
    return Document{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(),
                    q.value(3).toString(), q.value(4).toString()};
}

DocNum DocumentStore::addDocument(DirNum folder, const QString &title, const QString &html,
                                  const QString &changed)
{
    const QString operation = QStringLiteral("store the new document");
    Savepoint change(m_db.connection(), operation);
    const QSqlQuery q = runStatement(
        m_db.connection(), QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) VALUES (?, ?, ?, ?)"),
        {folder, textValue(title), textValue(html), textValue(changed)}, operation);
    const DocNum num = q.lastInsertId().toLongLong();
    SearchIndex(m_db.connection()).refresh(num);
    change.release();
    return num;
}

void DocumentStore::updateDocument(DocNum num, const QString &title, const QString &html,
                                   const QString &changed)
{
    const QString operation = QStringLiteral("save the document");
    Savepoint change(m_db.connection(), operation);
    const QSqlQuery q = runStatement(
        m_db.connection(), QStringLiteral("UPDATE DocTable SET DocName = ?, Text = ?, ChgDate = ? WHERE DocNum = ?"),
        {textValue(title), textValue(html), textValue(changed), num}, operation);
    if (q.numRowsAffected() == 0)
        throw StorageError(operation, QStringLiteral("the document no longer exists in the database"));
    SearchIndex(m_db.connection()).refresh(num);
    change.release();
}

bool DocumentStore::deleteDocument(DocNum num)
{
    const QString operation = QStringLiteral("delete the document");
    Savepoint change(m_db.connection(), operation);
    const bool deleted = runStatement(m_db.connection(), QStringLiteral("DELETE FROM DocTable WHERE DocNum = ?"), {num},
                                      operation)
                             .numRowsAffected()
        > 0;
    SearchIndex(m_db.connection()).refresh(num);
    change.release();
    return deleted;
}

int DocumentStore::deleteDocuments(const QList<DocNum> &nums)
{
    // One transaction for the batch: a failure midway deletes none of them.
    Transaction transaction(m_db.connection(), QStringLiteral("delete the selected documents"));
    int deleted = 0;
    for (const DocNum num : nums)
        deleted += deleteDocument(num) ? 1 : 0;
    transaction.commit();
    return deleted;
}

int DocumentStore::moveDocuments(const QList<DocNum> &nums, DirNum folder)
{
    const QString operation = QStringLiteral("move the documents");
    Savepoint change(m_db.connection(), operation);
    {
        QSqlQuery exists = runStatement(m_db.connection(), QStringLiteral("SELECT 1 FROM DirTable WHERE DirNum = ?"),
                                        {folder}, operation);
        if (!exists.next())
            throw StorageError(operation, QStringLiteral("the target folder no longer exists"));
    }
    // The index holds title and text only: moving leaves it as it is.
    int moved = 0;
    for (DocNum num : nums)
        moved += runStatement(m_db.connection(), QStringLiteral("UPDATE DocTable SET DirNum = ? WHERE DocNum = ?"),
                              {folder, num}, operation)
                     .numRowsAffected();
    change.release();
    return moved;
}

} // namespace folio
