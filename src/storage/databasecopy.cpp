#include "storage/databasecopy.h"

#include "storage/databasecheck.h"
#include "storage/storageerror.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace folio {

namespace {

constexpr qint64 DigestChunk = qint64(64) << 20;

// One digest per 64 MiB of a file. They tell a copy that differs from its
// source anywhere; they are no defence against a file made to collide,
// which a copy gone wrong is not.
using Digests = std::vector<quint64>;

quint64 digestOf(const uchar *bytes, qint64 size)
{
    constexpr quint64 Multiplier = 0x9E3779B97F4A7C15ULL;
    // Four independent lanes, so that the multiplications overlap.
    quint64 lane[4] = {quint64(size), 0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL, 0xA4093822299F31D0ULL};
    auto mix = [](quint64 &h, quint64 word) {
        h = (h ^ word) * Multiplier;
        h ^= h >> 29;
    };
    qint64 at = 0;
    for (; at + 32 <= size; at += 32) {
        quint64 words[4];
        std::memcpy(words, bytes + at, sizeof words);
        for (int i = 0; i < 4; ++i)
            mix(lane[i], words[i]);
    }
    for (; at < size; ++at)
        mix(lane[0], bytes[at]);
    quint64 digest = 0;
    for (quint64 h : lane)
        mix(digest, h);
    return digest;
}

// Fills every `step`-th digest of `digests` from chunk `first` on. Mapped
// reads: a copy just written is still in memory, and mapping it costs less
// than copying it out.
void digestChunks(int fd, qint64 size, size_t first, size_t step, Digests &digests)
{
    for (size_t chunk = first; chunk < digests.size(); chunk += step) {
        const qint64 offset = qint64(chunk) * DigestChunk;
        const qint64 length = qMin(DigestChunk, size - offset);
        void *mapped = ::mmap(nullptr, size_t(length), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, offset);
        if (mapped == MAP_FAILED)
            throw std::runtime_error("mmap");
        digests[chunk] = digestOf(static_cast<const uchar *>(mapped), length);
        ::munmap(mapped, size_t(length));
    }
}

// The digests of a file; on `threads` threads (1 or 2).
Digests digestsOf(const QString &path, const QString &operation, int threads)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status{};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw StorageError(operation, QStringLiteral("cannot read %1").arg(path));
    }
    const qint64 size = status.st_size;
    Digests digests(size_t((size + DigestChunk - 1) / DigestChunk));
    try {
        if (threads > 1) {
            auto odd = std::async(std::launch::async, [&] { digestChunks(fd, size, 1, 2, digests); });
            digestChunks(fd, size, 0, 2, digests);
            odd.get();
        } else {
            digestChunks(fd, size, 0, 1, digests);
        }
    } catch (const std::runtime_error &) {
        ::close(fd);
        throw StorageError(operation, QStringLiteral("cannot read %1").arg(path));
    }
    ::close(fd);
    digests.push_back(quint64(size));
    return digests;
}

// What the second thread finds out about the source.
struct SourceVerdict
{
    OpenResult check;
    Digests digests;
};

SourceVerdict examineSource(const QString &source, const QString &operation)
{
    SourceVerdict verdict{examineDatabaseFile(source, CheckPurpose::Replace), {}};
    if (verdict.check.ok())
        verdict.digests = digestsOf(source, operation, 1);
    return verdict;
}

} // namespace

void installCheckedCopy(const QString &source, const QString &temporary, const QString &target,
                        const QString &operation, const ProgressFunction &progress)
{
    // The future waits for the thread when it goes out of scope, also when
    // the copy fails.
    auto sourceVerdict = std::async(std::launch::async, examineSource, source, operation);
    copyFileContents(source, temporary, operation, progress);
    installFile(temporary, target, operation, [&](const QString &copy) {
        const SourceVerdict verdict = sourceVerdict.get();
        if (!verdict.check.ok())
            throw StorageError(operation, verdict.check.message);
        // Read back after the flush, as the file that is about to be renamed.
        if (digestsOf(copy, operation, 2) != verdict.digests)
            throw StorageError(operation, QStringLiteral("the copy %1 came out different from %2")
                                              .arg(QFileInfo(copy).fileName(), QFileInfo(source).fileName()));
    });
    if (progress)
        progress(100);
}

} // namespace folio
