#pragma once

#include <QByteArray>
#include <QString>

namespace folio {

// Copies `source` to `target` so that `target` is at no moment missing or
// half-written: the bytes go to a temporary file beside the target, are
// flushed to the disk, and the temporary file is renamed over the target in
// one step. Throws StorageError (naming `operation`) on any failure and
// leaves the target as it was.
void copyFileAtomically(const QString &source, const QString &target, const QString &operation);

// Writes `bytes` as the whole content of `target` the same way: into a
// temporary file beside it, flushed, then renamed over it. On failure the
// temporary file is removed, `target` is as it was, and a StorageError
// naming `operation` is thrown.
void writeFileAtomically(const QString &target, const QByteArray &bytes, const QString &operation);

// Renames `source` over `target` in one step and flushes the folder entry.
void replaceFileAtomically(const QString &source, const QString &target, const QString &operation);

// Flushes a file's data to the disk. Returns false when that fails.
bool syncFile(const QString &path);

} // namespace folio
