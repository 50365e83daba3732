#include "storage/atomicfile.h"

#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folio {

namespace {

// strerror() answers in the language and encoding of the user's locale,
// which need not be UTF-8, while Qt reads local 8-bit text as UTF-8. The C
// locale's texts are plain ASCII and in the program's language.
QString errnoText(int code)
{
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (!cLocale)
        return QStringLiteral("system error %1").arg(code);
    return QString::fromLatin1(::strerror_l(code, cLocale));
}

// A file that takes the place of another takes its permission bits, and its
// owner and group where the process may set them: a database the user made
// private must not become readable to others by being compacted or restored.
// A file with no predecessor keeps the permissions every new file gets.
void takePermissionsOf(const QString &target, const QString &temporary, const QString &operation)
{
    struct stat existing{};
    if (::stat(QFile::encodeName(target).constData(), &existing) != 0) {
        const int error = errno;
        if (error == ENOENT)
            return;
        throw StorageError(operation,
                           QStringLiteral("cannot read the permissions of %1: %2").arg(target, errnoText(error)));
    }
    const QByteArray name = QFile::encodeName(temporary);
    // Only a privileged process may give a file away; where that is refused
    // the group alone may still be set.
    if (::chown(name.constData(), existing.st_uid, existing.st_gid) != 0
        && ::chown(name.constData(), uid_t(-1), existing.st_gid) != 0) {
        // Neither is allowed: the file stays the process's own, and the
        // mode below still follows the target.
    }
    // After chown, which may clear the set-id bits.
    if (::chmod(name.constData(), existing.st_mode & 07777) != 0) {
        const int error = errno;
        throw StorageError(operation,
                           QStringLiteral("cannot set the permissions of %1: %2").arg(temporary, errnoText(error)));
    }
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

FlushFunction &installedFlush()
{
    static FlushFunction flush;
    return flush;
}

} // namespace

FlushFunction setFlushFunction(FlushFunction flush)
{
    FlushFunction previous = std::move(installedFlush());
    installedFlush() = std::move(flush);
    return previous;
}

bool fsyncToDisk(FlushKind kind, const QString &path)
{
    return kind == FlushKind::FileData ? syncFile(path) : syncFolder(path);
}

bool flushToDisk(FlushKind kind, const QString &path)
{
    const FlushFunction &flush = installedFlush();
    return flush ? flush(kind, path) : fsyncToDisk(kind, path);
}

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString temporaryNameFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(QStringLiteral("~%1.partial").arg(info.fileName()));
}

void replaceFileAtomically(const QString &source, const QString &target, const QString &operation)
{
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        throw StorageError(operation, QStringLiteral("cannot replace %1: %2").arg(target, errnoText(error)));
    }
    // The rename has happened and cannot be taken back; a failed folder
    // flush only means a power cut might still undo it, which leaves the
    // previous file, never a broken one.
    flushToDisk(FlushKind::FolderEntries, QFileInfo(target).absolutePath());
}

void installFile(const QString &temporary, const QString &target, const QString &operation,
                 const FileCheck &check)
{
    try {
        // Before the flush, so that it makes the permissions durable too.
        takePermissionsOf(target, temporary, operation);
        if (!flushToDisk(FlushKind::FileData, temporary))
            throw StorageError(operation, QStringLiteral("cannot flush %1 to the disk").arg(temporary));
        if (check)
            check(temporary);
        replaceFileAtomically(temporary, target, operation);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

void writeFileAtomically(const QString &target, const QByteArray &bytes, const QString &operation)
{
    const QString partial = temporaryNameFor(target);
    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw StorageError(operation, QStringLiteral("cannot write %1: %2").arg(partial, out.errorString()));
    const bool written = out.write(bytes) == bytes.size() && out.flush();
    const QString why = out.errorString();
    out.close();
    if (!written) {
        QFile::remove(partial);
        throw StorageError(operation, QStringLiteral("cannot write %1: %2").arg(partial, why));
    }
    installFile(partial, target, operation, {});
}

namespace {

constexpr qint64 CopyChunk = qint64(64) << 20;   // per call, so that progress moves
constexpr qint64 BufferSize = qint64(8) << 20;   // for the plain read and write

// Copies up to `length` bytes at `offset` with copy_file_range, which keeps
// the bytes in the kernel: no trip through the process, and several times
// faster than reading and writing them when the processors are busy.
// Returns the bytes copied, -1 with errno on failure.
qint64 copyInKernel(int in, int out, qint64 offset, qint64 length)
{
    loff_t from = offset;
    loff_t to = offset;
    return ::copy_file_range(in, &from, out, &to, size_t(length), 0);
}

// The same through a buffer, for file systems without copy_file_range.
qint64 copyThroughBuffer(int in, int out, qint64 offset, qint64 length, QByteArray &buffer)
{
    if (buffer.isEmpty())
        buffer.resize(BufferSize);
    const ssize_t n = ::pread(in, buffer.data(), size_t(qMin<qint64>(length, buffer.size())), offset);
    for (ssize_t done = 0; done < n;) {
        const ssize_t w = ::pwrite(out, buffer.constData() + done, size_t(n - done), offset + done);
        if (w < 0)
            return -1;
        done += w;
    }
    return n;
}

// An error of copy_file_range that only means "not here": copy otherwise.
bool kernelCopyUnavailable(int error)
{
    return error == ENOSYS || error == EXDEV || error == EOPNOTSUPP || error == EINVAL;
}

} // namespace

void copyFileContents(const QString &source, const QString &copy, const QString &operation,
                      const ProgressFunction &progress)
{
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        const int error = errno;
        throw StorageError(operation, QStringLiteral("cannot read %1: %2").arg(source, errnoText(error)));
    }
    const int out = ::open(QFile::encodeName(copy).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        throw StorageError(operation, QStringLiteral("cannot write %1: %2").arg(copy, errnoText(error)));
    }
    struct stat status{};
    const qint64 total = ::fstat(in, &status) == 0 ? qint64(status.st_size) : 0;
    bool kernelCopy = true;
    QByteArray buffer;
    qint64 copied = 0;
    QString failure;
    while (copied < total) {
        const qint64 length = qMin(CopyChunk, total - copied);
        const qint64 n = kernelCopy ? copyInKernel(in, out, copied, length)
                                    : copyThroughBuffer(in, out, copied, length, buffer);
        if (n < 0 && kernelCopy && kernelCopyUnavailable(errno)) {
            kernelCopy = false;
            continue;
        }
        if (n < 0) {
            const int error = errno;
            failure = QStringLiteral("cannot copy %1 to %2: %3").arg(source, copy, errnoText(error));
        }
        if (n <= 0)
            break;
        // Starts writing the chunk to the disk now, so that the flush at
        // the end has little left to wait for. Only a start: the flush
        // still decides, and reports any failure.
        ::sync_file_range(out, copied, n, SYNC_FILE_RANGE_WRITE);
        copied += n;
        if (progress)
            progress(int(copied * 99 / total));
    }
    ::close(in);
    if (::close(out) != 0 && failure.isEmpty())
        failure = QStringLiteral("cannot write %1: %2").arg(copy, errnoText(errno));
    if (failure.isEmpty() && copied != QFileInfo(source).size())
        failure = QStringLiteral("the copy of %1 is incomplete").arg(source);
    if (!failure.isEmpty()) {
        QFile::remove(copy);
        throw StorageError(operation, failure);
    }
}

void copyFileAtomically(const QString &source, const QString &target, const QString &operation,
                        const FileCheck &check, const ProgressFunction &progress)
{
    const QString partial = temporaryNameFor(target);
    copyFileContents(source, partial, operation, progress);
    installFile(partial, target, operation, check);
    if (progress)
        progress(100);
}

} // namespace folio
