#pragma once

#include <QString>

namespace folio {

inline constexpr qint32 FolioApplicationId = 1179601995; // "FOLK"
// 2: the search index (DocText, DocTextIndex, DocTextPending and the
// DocTable triggers that note changed rows).
// 3: the document history (DocHistory, its indexes and the DocTable triggers
// that keep saved-over and deleted rows).
inline constexpr int FolioSchemaVersion = 3;

// The columns the program reads and writes, per table.
inline constexpr const char *DirTableColumns = "DirNum, DirName, Attr, Parent, Child";
inline constexpr const char *DocTableColumns = "DocNum, DirNum, DocName, Text, ChgDate";

// Creates a new database file at `path` and runs the schema script on it.
// Throws StorageError; a partly written file is removed.
void createDatabaseFile(const QString &path, const QString &schemaSql);

} // namespace folio
