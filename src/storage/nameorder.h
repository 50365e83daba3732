#pragma once

#include <QCollatorSortKey>
#include <QString>

class QSqlDatabase;

namespace folio {

// Name of the collation that orders folder names and titles the way a person
// expects: case-insensitive and by the rules of the user's language. It is
// registered on our own connection only and named in queries
// (ORDER BY DirName COLLATE NAMEORDER), never in the schema.
inline constexpr const char *NameOrderCollation = "NAMEORDER";

// Registers the collation on an open SQLite connection. Returns false when
// the connection has no SQLite handle.
bool registerNameOrder(QSqlDatabase &db);

// The same comparison, for sorting in memory (negative, zero, positive).
int compareNames(QStringView a, QStringView b);

// A key that compares as compareNames() does: made once per name, it makes
// sorting many names cheap. Keys are only comparable with each other.
QCollatorSortKey nameSortKey(const QString &name);

} // namespace folio
