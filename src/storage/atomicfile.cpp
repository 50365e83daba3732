#include "storage/atomicfile.h"

#include "storage/storageerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace folio {

namespace {

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString temporaryNameFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(QStringLiteral("~%1.partial").arg(info.fileName()));
}

} // namespace

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void replaceFileAtomically(const QString &source, const QString &target, const QString &operation)
{
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        throw StorageError(operation, QStringLiteral("cannot replace %1: %2").arg(target, errnoText()));
    syncFolderOf(target);
}

void writeFileAtomically(const QString &target, const QByteArray &bytes, const QString &operation)
{
    const QString partial = temporaryNameFor(target);
    const QByteArray partialName = QFile::encodeName(partial);
    const int fd = ::open(partialName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw StorageError(operation, QStringLiteral("cannot write %1: %2").arg(partial, errnoText()));
    auto fail = [&](const QString &why) {
        ::close(fd);
        ::unlink(partialName.constData());
        throw StorageError(operation, why);
    };
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(QStringLiteral("cannot write %1: %2").arg(partial, errnoText()));
        done += n;
    }
    if (::fsync(fd) != 0)
        fail(QStringLiteral("cannot flush %1 to the disk: %2").arg(partial, errnoText()));
    if (::close(fd) != 0) {
        ::unlink(partialName.constData());
        throw StorageError(operation, QStringLiteral("cannot write %1: %2").arg(partial, errnoText()));
    }
    try {
        replaceFileAtomically(partial, target, operation);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

void copyFileAtomically(const QString &source, const QString &target, const QString &operation)
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
    }
    if (!out.flush() || ::fsync(out.handle()) != 0)
        fail(QStringLiteral("cannot flush %1 to the disk: %2").arg(partial, errnoText()));
    out.close();
    if (QFileInfo(partial).size() != copied || copied != in.size())
        fail(QStringLiteral("the copy of %1 is incomplete").arg(source));

    try {
        replaceFileAtomically(partial, target, operation);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

} // namespace folio
