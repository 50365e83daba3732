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

void copyFileAtomically(const QString &source, const QString &target, const QString &operation,
                        const FileCheck &check, const ProgressFunction &progress)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw StorageError(operation, QStringLiteral("cannot read %1: %2").arg(source, in.errorString()));

    const QString partial = temporaryNameFor(target);
    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw StorageError(operation, QStringLiteral("cannot write %1: %2").arg(partial, out.errorString()));

    auto fail = [&](const QString &why) {
        out.close();
        QFile::remove(partial);
        throw StorageError(operation, why);
    };

    const qint64 total = in.size();
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            fail(QStringLiteral("cannot read %1: %2").arg(source, in.errorString()));
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            fail(QStringLiteral("cannot write %1: %2").arg(partial, out.errorString()));
        copied += n;
        if (progress && total > 0)
            progress(int(copied * 100 / total));
    }
    if (!out.flush())
        fail(QStringLiteral("cannot write %1: %2").arg(partial, out.errorString()));
    out.close();
    if (QFileInfo(partial).size() != copied || copied != total)
        fail(QStringLiteral("the copy of %1 is incomplete").arg(source));

    installFile(partial, target, operation, check);
}

} // namespace folio
