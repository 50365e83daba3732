#pragma once

#include "storage/types.h"

#include <QDateTime>
#include <QList>
#include <optional>

namespace folio {

class Database;

// The change date as stored: month-day-year hours:minutes:seconds, local
// time, for example 12-05-2026 13:45:10.
QString formatChangeDate(const QDateTime &moment);
// A number that orders stored change dates by time (yyyyMMddHHmmss), or -1
// for a text in another form. Cheap enough for thousands of list entries.
qint64 changeDateSortKey(QStringView text);

// The document table. Lists never read document bodies. Every change
// updates the search index in the same transaction.
class DocumentStore
{
public:
    explicit DocumentStore(Database &db) : m_db(db) {}

    // Listed titles are cut to this many characters: the list shows less,
    // and a title of megabytes is not read for it.
    static constexpr int ListedTitleLength = 1001;

    // The documents of a folder in title order (ties by number), titles cut
    // to ListedTitleLength.
    QList<DocumentSummary> listDocuments(DirNum folder) const;
    std::optional<Document> readDocument(DocNum num) const;

    // Adds a document and returns its key.
    DocNum addDocument(DirNum folder, const QString &title, const QString &html, const QString &changed);
    // Replaces title, body and change date; throws when the row is gone.
    void updateDocument(DocNum num, const QString &title, const QString &html, const QString &changed);
    // Returns false when no such document existed.
    bool deleteDocument(DocNum num);
    // Deletes the documents `nums` in one transaction: all of them, or none
    // when a statement fails (the error is thrown). Numbers without a row
    // are passed over. Returns how many rows were deleted.
    int deleteDocuments(const QList<DocNum> &nums);
    // Moves the documents into `folder` all together or not at all; the
    // folder must exist (a document filed under a missing folder could not
    // be reached). Returns how many were moved: documents deleted
    // meanwhile are skipped.
    int moveDocuments(const QList<DocNum> &nums, DirNum folder);

private:
    Database &m_db;
};

} // namespace folio
