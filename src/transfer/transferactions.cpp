#include "transfer/transferactions.h"

#include "session/appstate.h"
#include "session/session.h"
#include "storage/database.h"
#include "storage/folderstore.h"
#include "storage/storageerror.h"
#include "transfer/backgroundjob.h"
#include "transfer/exportfolderdialog.h"
#include "transfer/importdialog.h"
#include "transfer/importreportdialog.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"

#include <QDir>
#include <QFileInfo>

namespace folio {

namespace {

const QString ImportFailed = QStringLiteral("The import failed; nothing was added.");
const QString ImportCancelled = QStringLiteral("The import was cancelled; nothing was added.");
const QString ExportFailed = QStringLiteral("The export failed; no exported folder was left behind.");

QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

TransferActions::TransferActions(AppContext &context, QWidget *window)
    : m_context(context)
    , m_window(window)
    , m_job(new BackgroundJob(this))
{
    connect(m_job, &BackgroundJob::progressed, this, [this](int percent) {
        if (m_import && m_import->isVisible())
            m_import->setProgress(percent);
        if (m_export && m_export->isVisible())
            m_export->setProgress(percent);
    });
}

// The work is cancelled and waited for before anything it writes into goes.
TransferActions::~TransferActions()
{
    delete m_job;
    if (m_busy)
        endWork();
}

QList<CommandBinding> TransferActions::bindings()
{
    return {
        {QStringLiteral("MnuImport"), [this] { showImport(); }},
        {QStringLiteral("MnuExportFolder"), [this] { showExportFolder(); }},
    };
}

ImportDialog *TransferActions::importDialog() const
{
    return m_import;
}

ExportFolderDialog *TransferActions::exportDialog() const
{
    return m_export;
}

ImportReportDialog *TransferActions::reportDialog() const
{
    return m_report;
}

bool TransferActions::isRunning() const
{
    return m_job->isRunning();
}

void TransferActions::showImport()
{
    if (!m_import) {
        m_import = new ImportDialog(m_context.prompts, m_window);
        m_import->setWindowModality(Qt::WindowModal);
        connect(m_import, &ImportDialog::importRequested, this, &TransferActions::startImport);
        connect(m_import, &ImportDialog::cancelRequested, m_job, &BackgroundJob::cancel);
    }
    m_import->show();
    m_import->raise();
    m_import->activateWindow();
}

void TransferActions::showExportFolder()
{
    m_exportRoot = m_context.state.currentDirNum();
    QString what = QStringLiteral("Every folder of the knowledge base.");
    if (m_exportRoot != 0) {
        const std::optional<Folder> folder = m_context.folders.folder(m_exportRoot);
        if (folder)
            what = QStringLiteral("The folder \"%1\" with its sub-folders.").arg(folder->name);
        else
            m_exportRoot = 0;
    }
    if (m_export && !m_job->isRunning())
        delete m_export;
    if (!m_export) {
        m_export = new ExportFolderDialog(what, m_context.prompts, m_window);
        m_export->setAttribute(Qt::WA_DeleteOnClose);
        m_export->setWindowModality(Qt::WindowModal);
        connect(m_export, &ExportFolderDialog::exportRequested, this, &TransferActions::startExport);
        connect(m_export, &ExportFolderDialog::cancelRequested, m_job, &BackgroundJob::cancel);
    }
    m_export->show();
    m_export->raise();
    m_export->activateWindow();
}

// The commands that need the database wait while the worker has its own
// connection to the file.
void TransferActions::beginWork()
{
    Q_EMIT workStarting();
    m_busy = std::make_unique<BusyScope>(m_context.status);
    m_context.state.setBusy(true);
}

void TransferActions::endWork()
{
    m_context.state.setBusy(false);
    m_busy.reset();
}

void TransferActions::startImport()
{
    if (m_job->isRunning() || !m_import)
        return;
    const QString source = QDir::fromNativeSeparators(m_import->source());
    const ImportKind kind = m_import->kind();
    if (!QFileInfo::exists(source)) {
        m_context.board.warn(QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(source)));
        return;
    }
    // The report of an earlier import goes: the new one takes its place.
    if (m_report)
        m_report->close();
    const QString databasePath = m_context.db.filePath();
    m_importResult = {};
    m_import->setRunning(true);
    beginWork();
    connect(m_job, &BackgroundJob::finished, this, &TransferActions::importEnded, Qt::SingleShotConnection);
    m_job->start([this, databasePath, kind, source](const std::atomic<bool> &cancel, const ProgressFunction &progress) {
        m_importResult = importCollection(databasePath, kind, source, &cancel, progress);
    });
}

void TransferActions::importEnded(const QString &failure)
{
    endWork();
    const QString source = m_import ? m_import->source() : QString();
    if (m_import)
        m_import->setRunning(false);
    const ImportResult result = m_importResult;
    if (!failure.isEmpty()) {
        m_context.board.warn(ImportFailed + QLatin1Char('\n') + failure);
    } else if (result.cancelled) {
        m_context.board.inform(ImportCancelled);
    } else {
        if (m_import)
            m_import->accept();
        // Every pane reads the file anew, so the new folders show at once.
        m_context.notices.guard([this] { m_context.session.reopen([] {}); });
        if (m_context.db.isOpen() && result.folder != 0)
            m_context.state.navigateTo(result.folder, 0);
        m_report = new ImportReportDialog(result, source, m_window);
        m_report->show();
    }
    Q_EMIT workEnded();
}

void TransferActions::startExport()
{
    if (m_job->isRunning() || !m_export)
        return;
    const QString target = QDir::fromNativeSeparators(m_export->target());
    if (!QFileInfo(target).isDir()) {
        m_context.board.warn(QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(target)));
        return;
    }
    const QString databasePath = m_context.db.filePath();
    const ExportFormat format = m_export->format();
    const DirNum root = m_exportRoot;
    m_exportResult = {};
    m_export->setRunning(true);
    beginWork();
    connect(m_job, &BackgroundJob::finished, this, &TransferActions::exportEnded, Qt::SingleShotConnection);
    m_job->start([this, databasePath, root, target, format](const std::atomic<bool> &cancel,
                                                           const ProgressFunction &progress) {
        m_exportResult = exportFolderTree(databasePath, root, target, format, &cancel, progress);
    });
}

void TransferActions::exportEnded(const QString &failure)
{
    endWork();
    if (m_export)
        m_export->setRunning(false);
    const ExportResult result = m_exportResult;
    if (!failure.isEmpty()) {
        m_context.board.warn(ExportFailed + QLatin1Char('\n') + failure);
    } else if (!result.cancelled) {
        if (m_export)
            m_export->accept();
        m_context.board.inform(QStringLiteral("Exported %1 and %2 to %3.")
                                   .arg(counted(result.folders, "folder", "folders"),
                                        counted(result.documents, "document", "documents"),
                                        QDir::toNativeSeparators(result.folder)));
    }
    Q_EMIT workEnded();
}

} // namespace folio
