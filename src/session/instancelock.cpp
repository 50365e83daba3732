#include "session/instancelock.h"

#include <QDir>

namespace folio {

InstanceLock::InstanceLock(const QString &programDir)
    : m_lock(std::make_unique<QLockFile>(QDir(programDir).filePath(fileName())))
{
    // Never stale by age: a copy may run for months. Staleness is decided by
    // whether the process that wrote the lock still runs.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock()
{
    release();
}

InstanceLock::Result InstanceLock::acquire()
{
    if (m_lock->tryLock(0))
        return Result::Acquired;
    if (m_lock->error() == QLockFile::LockFailedError) {
        // tryLock already removed a lock whose process is gone; a remaining
        // one belongs to a running copy.
        return Result::HeldByOther;
    }
    return Result::Unavailable;
}

void InstanceLock::release()
{
    if (m_lock->isLocked())
        m_lock->unlock();
}

} // namespace folio
