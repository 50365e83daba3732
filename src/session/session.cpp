#include "session/session.h"

#include "session/settings.h"
#include "storage/storageerror.h"

#include <exception>

namespace folio {

Session::Session(QString programDir, QObject *parent)
    : QObject(parent)
    , m_programDir(std::move(programDir))
    , m_lock(m_programDir)
    , m_db(m_programDir)
    , m_folders(m_db)
    , m_documents(m_db)
{
}

Session::~Session()
{
    close();
}

Session::OpenOutcome Session::open(const QString &appVersion)
{
    if (m_lock.acquire() == InstanceLock::Result::HeldByOther)
        return {SessionStart::AlreadyRunning, QStringLiteral("I am running now, you need not to start me again")};
    m_storedVersion = SettingsFile(m_programDir).readVersion(appVersion);
    const OpenResult opened = m_db.open();
    if (!opened.ok()) {
        m_lock.release();
        return {SessionStart::DatabaseProblem, opened.message};
    }
    m_open = true;
    return {SessionStart::Opened, {}};
}

void Session::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_db.close();
    SettingsFile(m_programDir).writeVersion(m_storedVersion);
    m_lock.release();
}

void Session::reopen(const std::function<void()> &replaceFile)
{
    Q_EMIT aboutToReopen();
    m_db.close();
    std::exception_ptr failure;
    try {
        if (replaceFile)
            replaceFile();
    } catch (...) {
        failure = std::current_exception();
    }
    const OpenResult opened = m_db.open();
    Q_EMIT reopened();
    if (failure)
        std::rethrow_exception(failure);
    if (!opened.ok())
        throw StorageError(QStringLiteral("open the knowledge base again"), opened.message);
}

} // namespace folio
