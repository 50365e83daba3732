#pragma once

#include <QString>

namespace folio {

inline constexpr qint32 FolioApplicationId = 1179601995; // "FOLK"
inline constexpr int FolioSchemaVersion = 1;

// Creates a new database file at `path` and runs the schema script on it.
// Throws StorageError; a partly written file is removed.
void createDatabaseFile(const QString &path, const QString &schemaSql);

} // namespace folio
