#include "maintenance/maintenanceactions.h"

#include "maintenance/workerrun.h"
#include "session/appstate.h"
#include "session/session.h"
#include "storage/database.h"
#include "storage/filemaintenance.h"
#include "storage/storageerror.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/messageboard.h"
#include "widgets/statuspanel.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>

namespace folio {

namespace {

const QString CompactFinished = QStringLiteral("Database compact finished successfully.");
const QString CompactFailure = QStringLiteral("Database compact failure.");
const QString RebuildFirstQuestion = QStringLiteral(
    "Rebuild Database will erase all current information in current database and recreate a new blink "
    "database. Do you want to continue?");
const QString RebuildSecondQuestion = QStringLiteral("Do you really want to clean all your data and rebuild database?");
const QString RebuildFinished = QStringLiteral("Database rebuilt from the empty template successfully.");
const QString RebuildFailure = QStringLiteral("Database Rebuild Failure.");
const QString RestoreQuestion = QStringLiteral(
    "RESTORE operation will use backup data to overwirte current data. Do you want to continue?");

const QString EditStillOpen =
    QStringLiteral("the document being edited is still open: save or cancel it, then try again");

// Commands that need the database wait while the file is worked on.
class BusyFlag
{
public:
    explicit BusyFlag(AppState &state) : m_state(state) { m_state.setBusy(true); }
    ~BusyFlag() { m_state.setBusy(false); }
    BusyFlag(const BusyFlag &) = delete;
    BusyFlag &operator=(const BusyFlag &) = delete;

private:
    AppState &m_state;
};

// The notice's own words, then what failed.
QString failureText(const QString &notice, const QString &detail)
{
    return detail.isEmpty() ? notice : notice + QLatin1Char('\n') + detail;
}

} // namespace

MaintenanceActions::MaintenanceActions(AppContext &context, QWidget *window)
    : m_context(context)
    , m_window(window)
    , m_progress(new QProgressBar(&context.status))
{
    m_progress->setObjectName(QStringLiteral("prgMaintenance"));
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    m_context.status.addPermanentWidget(m_progress);
}

QList<CommandBinding> MaintenanceActions::bindings()
{
    return {
        {QStringLiteral("DbCompact"), [this] { compressDb(); }},
        {QStringLiteral("DbBackup"), [this] { backupDb(); }},
        {QStringLiteral("MnuRestoreDb"), [this] { restoreDb(); }},
        {QStringLiteral("MnuRebuildDb"), [this] { rebuildDb(); }},
    };
}

void MaintenanceActions::runWithProgress(const std::function<void(const ProgressFunction &)> &work)
{
    m_progress->show();
    m_progress->setValue(0);
    struct HideAfter
    {
        QProgressBar *bar;
        ~HideAfter() { bar->hide(); }
    } hide{m_progress};
    runOnWorkerThread(work, [this](int percent) { m_progress->setValue(percent); });
}

// The new file is in place and every pane has reloaded before the notice
// shows, so the program never waits on the board with the database closed.
void MaintenanceActions::compressDb()
{
    // The file is replaced under the pane: an edit is saved or let go first.
    if (!mayProceed(m_context.state.leaveEdit()))
        return;
    const QString dir = m_context.session.programDir();
    const DirNum folder = m_context.state.currentDirNum();
    const DocNum document = m_context.state.currentDocNum();
    QString failure;
    {
        BusyScope busy(m_context.status);
        BusyFlag working(m_context.state);
        try {
            m_context.session.reopen(
                [&] { runWithProgress([&](const ProgressFunction &progress) { compactDatabase(dir, progress); }); });
        } catch (const StorageError &e) {
            failure = e.userText();
        }
        keepPlace(folder, document);
    }
    if (failure.isEmpty())
        m_context.board.inform(CompactFinished);
    else
        m_context.board.warn(failureText(CompactFailure, failure));
}

// Compaction keeps every row and its key, so what was current before is
// current again and the document shown is shown again.
void MaintenanceActions::keepPlace(DirNum folder, DocNum document)
{
    if (!m_context.db.isOpen() || folder == 0)
        return;
    m_context.state.navigateTo(folder, document);
}

// The connection stays open while the second question waits: nothing is
// replaced until the user has said yes twice.
void MaintenanceActions::rebuildDb()
{
    if (m_context.board.ask(RebuildFirstQuestion) != BoardAnswer::Yes)
        return;
    BoardAnswer second;
    {
        BusyScope busy(m_context.status);
        second = m_context.board.ask(RebuildSecondQuestion);
    }
    if (second != BoardAnswer::Yes || !mayProceed(m_context.state.leaveEdit()))
        return;

    const QString dir = m_context.session.programDir();
    const bool templatePresent = QFileInfo(QDir(dir).filePath(TemplateDatabaseName)).isFile();
    QString failure;
    try {
        BusyFlag working(m_context.state);
        m_context.session.reopen([&] { rebuildDatabase(dir); });
    } catch (const StorageError &e) {
        failure = e.userText();
    }
    if (failure.isEmpty())
        m_context.board.inform(RebuildFinished);
    else
        m_context.board.warn(templatePresent ? failureText(RebuildFailure, failure) : RebuildFailure);
}

void MaintenanceActions::backupDb()
{
    showDialog(BackupRestoreMode::Backup);
}

void MaintenanceActions::restoreDb()
{
    if (m_context.board.ask(RestoreQuestion) == BoardAnswer::Yes)
        showDialog(BackupRestoreMode::Restore);
}

// One window at a time: while it is open, either command brings it
// forward in the direction it was opened for.
void MaintenanceActions::showDialog(BackupRestoreMode mode)
{
    if (!m_dialog) {
        auto work = [this, mode](BackupPosition position, const ProgressFunction &progress) {
            if (mode == BackupRestoreMode::Backup)
                backUp(position, progress);
            else
                restore(position, progress);
        };
        m_dialog = new BackupRestoreDialog(m_context.session.programDir(), mode, work, m_window);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

// A backup leaves KB97.MDB as it is: the program's connection stays open
// (the worker reads through its own), and no pane reloads.
void MaintenanceActions::backUp(BackupPosition position, const ProgressFunction &progress)
{
    const QString dir = m_context.session.programDir();
    BusyScope busy(m_context.status);
    BusyFlag working(m_context.state);
    runOnWorkerThread(
        [&](const ProgressFunction &report) {
            backupDatabase(dir, position, QDateTime::currentDateTime(), report);
        },
        progress);
}

void MaintenanceActions::restore(BackupPosition position, const ProgressFunction &progress)
{
    if (!mayProceed(m_context.state.leaveEdit()))
        throw StorageError(QStringLiteral("restore the database from position %1").arg(backupPositionKey(position)),
                           EditStillOpen);
    const QString dir = m_context.session.programDir();
    BusyScope busy(m_context.status);
    BusyFlag working(m_context.state);
    m_context.session.reopen([&] {
        runOnWorkerThread([&](const ProgressFunction &report) { restoreDatabase(dir, position, report); }, progress);
    });
}

} // namespace folio
