#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace folio {

// What a flush makes durable: a file's data, or the entries of a folder
// (so that a rename in it survives a power cut).
enum class FlushKind { FileData, FolderEntries };

// The one way storage code flushes to the disk. Replaceable so that a test
// can watch the order of the steps (or make a flush fail); the default
// calls fsync. Returns false when the flush failed.
using FlushFunction = std::function<bool(FlushKind kind, const QString &path)>;

// Installs `flush` (an empty function restores the default) and returns
// the one it replaces. Not for use while file operations run on other threads.
FlushFunction setFlushFunction(FlushFunction flush);

// Flushes through the installed function.
bool flushToDisk(FlushKind kind, const QString &path);

// The default flush: fsync of the file or of the folder.
bool fsyncToDisk(FlushKind kind, const QString &path);

// Checks a finished temporary file before it may replace its target;
// throws StorageError to refuse it.
using FileCheck = std::function<void(const QString &path)>;

// Called with the share of the work done so far, 0 to 100. May be called
// from the thread that does the work.
using ProgressFunction = std::function<void(int percent)>;

// Puts the finished file `temporary` in place of `target` in one step: it
// takes the permissions (and, where allowed, owner and group) of an existing
// `target`, its data is flushed, `check` (when given) accepts it, it is
// renamed over `target`, and the folder is flushed. On failure the temporary file is
// removed, `target` is left as it was and StorageError (naming `operation`)
// is thrown. Both files must lie in the same folder.
void installFile(const QString &temporary, const QString &target, const QString &operation,
                 const FileCheck &check = {});

// Copies the bytes of `source` into a new file `copy` (replacing one that
// is there), in the kernel where the file system allows it, in large
// blocks otherwise. `progress` goes up to 99: the caller says when it is
// done. Does not flush. On failure `copy` is removed and StorageError
// (naming `operation`) is thrown.
void copyFileContents(const QString &source, const QString &copy, const QString &operation,
                      const ProgressFunction &progress = {});

// Copies `source` to `target` so that `target` is at no moment missing or
// half-written: the bytes go to a temporary file beside the target and are
// installed with installFile(). Throws StorageError (naming `operation`) on
// any failure and leaves the target as it was.
void copyFileAtomically(const QString &source, const QString &target, const QString &operation,
                        const FileCheck &check = {}, const ProgressFunction &progress = {});

// Writes `bytes` as the whole content of `target` the same way: into a
// temporary file beside it, flushed, then renamed over it. On failure the
// temporary file is removed, `target` is as it was, and a StorageError
// naming `operation` is thrown.
void writeFileAtomically(const QString &target, const QByteArray &bytes, const QString &operation);

// Renames `source` over `target` in one step and flushes the folder entry.
void replaceFileAtomically(const QString &source, const QString &target, const QString &operation);

// Flushes a file's data to the disk with fsync. Returns false when that fails.
bool syncFile(const QString &path);

// The name a file is written under before it replaces `target`: beside
// it, starting with "~" so that no search for the target's pattern finds it.
QString temporaryNameFor(const QString &target);

} // namespace folio
