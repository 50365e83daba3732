#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace folio {

// The four places a backup can be kept. Each holds one file in the program
// folder, named after its prefix and the moment of the backup.
enum class BackupPosition { A, B, C, D };

inline constexpr BackupPosition AllBackupPositions[] = {BackupPosition::A, BackupPosition::B,
                                                        BackupPosition::C, BackupPosition::D};

// "A" to "D" give their position; any other key none.
std::optional<BackupPosition> backupPositionFromKey(const QString &key);
// "A" to "D".
QString backupPositionKey(BackupPosition position);
// "BAKA" to "BAKD".
QString backupPrefix(BackupPosition position);

// The file name of a backup taken at `when`: BAKA2004=03=15 14-05-09.MDB.
QString backupFileName(BackupPosition position, const QDateTime &when);

// The moment a backup file name shows to the user: everything behind the
// four-letter prefix, "=" written as "/", "-" as ":", without a final
// ".MDB" in any case. "BAKA2005=02=01 09-05-03.MDB" gives "2005/02/01 09:05:03".
QString backupLabel(const QString &fileName);

// The files of a position in `programDir` (prefix + "*.mdb", any case),
// sorted by name, which is by the moment of the backup.
QStringList backupFilesAt(const QString &programDir, BackupPosition position);

// The backup a position holds: the newest of its files (more than one is
// left only when a backup was interrupted before it removed the previous
// file), as a full path; empty when the position holds none.
QString backupFileAt(const QString &programDir, BackupPosition position);

} // namespace folio
