#pragma once

#include <QSqlDatabase>
#include <QStringList>

namespace folio {

// The tables and triggers of the document history, in KB97.MDB itself so
// that compaction, backups and restores carry it:
//
//   DocHistory              kept versions: the DocTable columns, when the
//                           version was kept (KeptAt, UTC) and why (Reason);
//   DocHistory_Doc          the versions of a document by KeptAt;
//   DocHistory_Deleted      the entries of deleted documents;
//   DocTable_HistorySave    keeps the row a save replaces;
//   DocTable_HistoryDelete  keeps a deleted row.
//
// The triggers are plain SQL (datetime('now') is the only function), so a
// change made with the sqlite3 tool keeps its version too, and they run in
// the transaction of the change: a change rolled back keeps nothing.
class HistorySchema
{
public:
    // The statements that create what is missing, as in schema.sql.
    static QStringList statements();
    // Creates whatever is missing (after another tool dropped it, or in a
    // file from before the history); writes nothing when all is in place.
    // Runs inside the caller's transaction. Throws StorageError.
    static void install(const QSqlDatabase &db);
};

} // namespace folio
