#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace folio {

// Keeps a second copy of the program in the same program folder out. The
// lock is a file beside the database; a lock left by a copy that was killed
// is recognised as stale (its process is gone) and taken over.
class InstanceLock
{
public:
    enum class Result { Acquired, HeldByOther, Unavailable };

    explicit InstanceLock(const QString &programDir);
    ~InstanceLock();

    // Unavailable means the lock file cannot be made (read-only folder): the
    // program then runs without the guard.
    Result acquire();
    void release();

    static QString fileName() { return QStringLiteral("foliok.lock"); }

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace folio
