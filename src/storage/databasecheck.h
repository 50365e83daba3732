#pragma once

#include <QString>

namespace folio {

// Why a file cannot serve as the knowledge base.
enum class OpenStatus {
    Opened,
    Missing,        // neither the database nor the template exists
    CannotCreate,   // the template could not be copied into place
    NotADatabase,   // damaged, or not a database file at all
    ForeignFile,    // a database of some other program
    MissingTables,  // a database without our tables or columns
    TooNew,         // written by a newer version of the program
    Failed,         // any other failure to open
};

struct OpenResult
{
    OpenStatus status = OpenStatus::Failed;
    QString message;   // for the user; empty when opened
    bool ok() const { return status == OpenStatus::Opened; }
};

// What a file is checked for. Opening reads the header and the schema only,
// fast at any size, and takes a file without our stamp (made by hand with
// the sqlite3 tool; it is stamped once open). A file about to replace the
// database must carry our stamp, match its page count in size and pass the
// engine's page check: nothing would repair it afterwards.
enum class CheckPurpose { Open, Replace };

// Decides whether `path` is a knowledge base this version can use: a
// database file, not another program's, not from a newer version, with
// both tables and their columns. Reads the file as it lies on disk: no byte
// changes and no journal, -wal or -shm file is made. Safe on any thread.
// The message names the whole path for opening and the file name for a
// replacement, where it follows "Could not <operation>:".
OpenResult examineDatabaseFile(const QString &path, CheckPurpose purpose);

// The check before a file replaces the database: throws StorageError naming
// `operation` and saying what is wrong when the file may not.
void checkDatabaseFile(const QString &path, const QString &operation);

} // namespace folio
