#pragma once

#include <QString>

namespace folio {

// Accepts `path` only as a whole, undamaged Folio Keeper database that this
// version can open: the SQLite file header, our application id, a schema
// version not newer than ours, both tables with their columns, and a clean
// PRAGMA quick_check. Throws StorageError naming `operation` and saying
// what is wrong otherwise. Opens the file read-only; safe on any thread.
void checkDatabaseFile(const QString &path, const QString &operation);

} // namespace folio
