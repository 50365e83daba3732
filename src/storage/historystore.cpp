#include "storage/historystore.h"

#include "storage/database.h"
#include "storage/documentstore.h"
#include "storage/folderstore.h"
#include "storage/savepoint.h"
#include "storage/searchindex.h"
#include "storage/statement.h"
#include "storage/storageerror.h"

#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

namespace folio {

namespace {

// Lists cut titles as the document list does: a title of megabytes is not
// read for a line.
const QString VersionColumns = QStringLiteral(
    "h.HistNum, h.DocNum, h.DirNum, substr(h.DocName, 1, %1), h.ChgDate, h.KeptAt, h.Reason, length(h.Text)")
                                   .arg(DocumentStore::ListedTitleLength);

// KeptAt as stored, YYYY-MM-DD HH:MM:SS in UTC. Read field by field, never
// through the local clock, where a time in a daylight-saving gap would move.
QDateTime keptAtFromText(const QString &text)
{
    return QDateTime(QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")),
                     QTime::fromString(text.mid(11, 8), QStringLiteral("HH:mm:ss")), QTimeZone::utc());
}

DocumentVersion readVersion(const QSqlQuery &q)
{
    DocumentVersion v;
    v.histNum = q.value(0).toLongLong();
    v.doc = q.value(1).toLongLong();
    v.dir = q.value(2).toLongLong();
    v.title = q.value(3).toString();
    v.changed = q.value(4).toString();
    v.keptAt = keptAtFromText(q.value(5).toString());
    v.reason = q.value(6).toString() == QLatin1String("delete") ? VersionReason::Delete : VersionReason::Save;
    v.size = q.value(7).toLongLong();
    return v;
}

QList<DocumentVersion> readVersions(QSqlQuery &q)
{
    QList<DocumentVersion> versions;
    while (q.next())
        versions.append(readVersion(q));
    return versions;
}

// The folder a deleted document goes back to: its own when it still exists,
// otherwise the top-level "Restored Documents", made when there is none.
DirNum folderForRestore(Database &db, DirNum old, RestoredDocument &result, const QString &operation)
{
    QSqlQuery own = runStatement(db.connection(), QStringLiteral("SELECT 1 FROM DirTable WHERE DirNum = ?"), {old},
                                 operation);
    if (own.next())
        return old;
    result.intoRestoredFolder = true;
    QSqlQuery restored = runStatement(
        db.connection(),
        QStringLiteral("SELECT DirNum FROM DirTable WHERE Attr = 'R' AND DirName = ? ORDER BY DirNum LIMIT 1"),
        {RestoredFolderName}, operation);
    if (restored.next())
        return restored.value(0).toLongLong();
    result.folderCreated = true;
    return FolderStore(db).addFolder(RestoredFolderName, 0);
}

} // namespace

QList<DocumentVersion> HistoryStore::versionsOf(DocNum doc) const
{
    QSqlQuery q = runStatement(m_db.connection(),
                               QStringLiteral("SELECT %1 FROM DocHistory h WHERE h.DocNum = ? "
                                              "ORDER BY h.KeptAt DESC, h.HistNum DESC")
                                   .arg(VersionColumns),
                               {doc}, QStringLiteral("read the versions of the document"));
    return readVersions(q);
}

std::optional<QString> HistoryStore::versionText(qint64 histNum) const
{
    QSqlQuery q = runStatement(m_db.connection(), QStringLiteral("SELECT Text FROM DocHistory WHERE HistNum = ?"),
                               {histNum}, QStringLiteral("read the version"));
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

bool HistoryStore::restoreVersion(qint64 histNum, const QString &changed)
{
    const QString operation = QStringLiteral("restore the version");
    const QSqlDatabase db = m_db.connection();
    Savepoint change(db, operation);
    QSqlQuery found = runStatement(db,
                                   QStringLiteral("SELECT d.DocNum FROM DocHistory h JOIN DocTable d "
                                                  "ON d.DocNum = h.DocNum WHERE h.HistNum = ?"),
                                   {histNum}, operation);
    if (!found.next())
        return false;
    const DocNum doc = found.value(0).toLongLong();
    found.finish();
    // Kept whatever the ten-minute rule says, so the restore can be undone;
    // being the newest version, it also keeps the trigger from keeping the
    // same row a second time for the update below.
    runStatement(db,
                 QStringLiteral("INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, ChgDate, KeptAt, Reason) "
                                "SELECT DocNum, DirNum, DocName, Text, ChgDate, datetime('now'), 'save' "
                                "FROM DocTable WHERE DocNum = ?"),
                 {doc}, operation);
    // Copied inside the engine: a text of megabytes does not pass through here.
    runStatement(db,
                 QStringLiteral("UPDATE DocTable SET (DocName, Text, ChgDate) = "
                                "(SELECT DocName, Text, ? FROM DocHistory WHERE HistNum = ?) WHERE DocNum = ?"),
                 {textValue(changed), histNum, doc}, operation);
    SearchIndex(db).refresh(doc);
    change.release();
    return true;
}

QList<DocumentVersion> HistoryStore::deletedDocuments() const
{
    // One entry per document: its newest deletion (another tool may have
    // put a row back under the same number and deleted it again).
    QSqlQuery q = runStatement(
        m_db.connection(),
        QStringLiteral("SELECT %1 FROM DocHistory h WHERE h.Reason = 'delete' "
                       "AND NOT EXISTS (SELECT 1 FROM DocTable d WHERE d.DocNum = h.DocNum) "
                       "AND NOT EXISTS (SELECT 1 FROM DocHistory n WHERE n.DocNum = h.DocNum AND n.Reason = 'delete' "
                       "    AND n.KeptAt >= h.KeptAt AND (n.KeptAt > h.KeptAt OR n.HistNum > h.HistNum)) "
                       "ORDER BY h.KeptAt DESC, h.HistNum DESC")
            .arg(VersionColumns),
        {}, QStringLiteral("read the deleted documents"));
    return readVersions(q);
}

std::optional<RestoredDocument> HistoryStore::restoreDeleted(qint64 histNum)
{
    const QString operation = QStringLiteral("restore the deleted document");
    const QSqlDatabase db = m_db.connection();
    Savepoint change(db, operation);
    QSqlQuery entry = runStatement(db,
                                   QStringLiteral("SELECT DocNum, DirNum FROM DocHistory h WHERE HistNum = ? "
                                                  "AND Reason = 'delete' "
                                                  "AND NOT EXISTS (SELECT 1 FROM DocTable d WHERE d.DocNum = h.DocNum)"),
                                   {histNum}, operation);
    if (!entry.next())
        return std::nullopt;
    const DocNum oldDoc = entry.value(0).toLongLong();
    const DirNum oldDir = entry.value(1).toLongLong();
    entry.finish();

    RestoredDocument result;
    result.dir = folderForRestore(m_db, oldDir, result, operation);
    const QSqlQuery inserted = runStatement(db,
                                            QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) "
                                                           "SELECT ?, DocName, Text, ChgDate FROM DocHistory "
                                                           "WHERE HistNum = ?"),
                                            {result.dir, histNum}, operation);
    result.doc = inserted.lastInsertId().toLongLong();
    runStatement(db, QStringLiteral("DELETE FROM DocHistory WHERE HistNum = ?"), {histNum}, operation);
    // Its history goes with it under the new number: the versions it had
    // before the deletion (and an earlier deletion, should a tool have made
    // one, which is then a version of a document that exists).
    runStatement(db, QStringLiteral("UPDATE DocHistory SET DocNum = ? WHERE DocNum = ?"), {result.doc, oldDoc},
                 operation);
    SearchIndex(db).refresh(result.doc);
    change.release();
    return result;
}

} // namespace folio
