#pragma once

#include "storage/types.h"

#include <QSqlDatabase>
#include <QStringList>
#include <atomic>
#include <functional>

namespace folio {

// The full-text index of the documents, kept in KB97.MDB itself so that
// compaction, backups and restores carry it:
//
//   DocText          each document's title and visible text in search form
//                    (searchFold of the title, of visibleText of the HTML);
//   DocTextIndex     an FTS5 trigram index over DocText (external content),
//                    which finds any substring of three or more characters;
//   DocTextPending   numbers of DocTable rows whose text is not extracted yet;
//   DocText_Num      the keys of DocText alone, so that comparing them with
//                    DocTable's at open reads no text pages.
//
// Plain SQL triggers on DocTable only note changed rows in DocTextPending, so
// rows that the sqlite3 tool or an older backup writes are still found: the
// program extracts their text before the next search and at open. The file
// keeps no custom function or collation and stays usable by the plain tool.
// The program's own changes refresh the row in the same transaction.
class SearchIndex
{
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;

    explicit SearchIndex(QSqlDatabase db) : m_db(std::move(db)) {}

    // The statements that create the search structures, as in schema.sql.
    static QStringList schemaStatements();

    // True when every table and trigger of the index exists.
    bool isInstalled() const;
    // Creates what is missing (dropping a partial set first). Runs inside the
    // caller's transaction; reads no rows, so opening a file stays as quick
    // with 300,000 documents as with ten.
    void install();
    // Whether DocTable and DocText hold as many rows: two index counts, which
    // grow with the number of documents.
    bool rowsAgree() const;
    // Notes every document whose text is missing or left over (written while
    // the triggers were missing, or into a file whose index was just
    // created) as pending. Runs inside the caller's transaction.
    void noteUnindexedRows();
    // Rows noted as changed and not yet extracted.
    qint64 pendingCount() const;
    // Whether any row is noted: one look, however many there are.
    bool hasPending() const;

    // Extracts the text of one document and puts it into the index (or
    // removes it when the row is gone). Runs inside the caller's transaction.
    void refresh(DocNum num);

    // Extracts every pending row, in short transactions of its own (so other
    // connections can write in between) and reports progress after each.
    // Stops early, leaving the rest pending, when `cancel` becomes true.
    // Throws StorageError.
    void catchUp(const Progress &progress = {}, const std::atomic<bool> *cancel = nullptr);

private:
    QSqlDatabase m_db;
};

// Opens a connection of its own to the database file at `path` in the
// calling thread, puts back the index when it is missing, notes the rows it
// lacks, extracts every pending row with progress, and closes it: the background index build runs
// this on a worker thread. Throws StorageError.
void catchUpSearchIndex(const QString &path, const SearchIndex::Progress &progress = {},
                        const std::atomic<bool> *cancel = nullptr);

} // namespace folio
