#pragma once

#include "storage/atomicfile.h"
#include "storage/backupfiles.h"

#include <QDateTime>
#include <QString>

namespace folio {

inline const QString CompactionOutputName = QStringLiteral("~compressed.mdb");

// Whole-file work on KB97.MDB in a program folder: compaction, rebuild from
// the template, backup to a position and restore from one. Each runs on its
// own SQLite connection, so it may run on a worker thread; the program's
// connection must be closed meanwhile (for a backup it may stay open but
// must not write). Every file that takes the place of KB97.MDB or of a
// backup is written under a temporary name beside it, checked, flushed and
// renamed in one step, so at no moment is KB97.MDB missing or half-written
// and a position always holds its previous file or the new one. Each throws
// StorageError with what failed and leaves the files as they were.
// `progress` (optional) is called with 0 to 100 on the working thread.

// Rewrites KB97.MDB without its free space, through ~compressed.mdb (a
// leftover of an interrupted run is deleted first).
void compactDatabase(const QString &programDir, const ProgressFunction &progress = {});

// Replaces KB97.MDB by a copy of blank97.MDB, which stays in place.
void rebuildDatabase(const QString &programDir);

// Writes a copy of KB97.MDB, as it stands at one moment, to `position` as the backup taken at
// `when`, then removes the position's previous file. Returns the new file's path.
QString backupDatabase(const QString &programDir, BackupPosition position, const QDateTime &when,
                       const ProgressFunction &progress = {});

// Replaces KB97.MDB by a copy of the backup at `position`, which stays in
// place. Refused while KB97.MDB-journal exists (an unfinished change that
// the engine would otherwise play back into the restored file), and when
// the backup is missing or damaged.
void restoreDatabase(const QString &programDir, BackupPosition position, const ProgressFunction &progress = {});

} // namespace folio
