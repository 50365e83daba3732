#pragma once

#include "maintenance/backuprestoredialog.h"
#include "storage/types.h"
#include "widgets/commands.h"

#include <QPointer>

class QProgressBar;

namespace folio {

struct AppContext;

// The database maintenance commands: compaction, rebuild from the empty
// template, and the backup and restore window. Every replacement of
// KB97.MDB goes through the session's reopen, so every pane reloads from
// the new file; the file work runs on a worker thread while the status
// panel shows BUSY and a progress bar, and the commands that need the
// database wait until it has ended.
class MaintenanceActions
{
public:
    MaintenanceActions(AppContext &context, QWidget *window);
    QList<CommandBinding> bindings();

    void compressDb();
    void rebuildDb();
    // "Data Backup": the window for backup.
    void backupDb();
    // "Restore from Backup": the question first, then the window for restore.
    void restoreDb();

    // The open backup and restore window, or null.
    BackupRestoreDialog *dialog() const { return m_dialog; }

private:
    void keepPlace(DirNum folder, DocNum document);
    void showDialog(BackupRestoreMode mode);
    void backUp(BackupPosition position, const ProgressFunction &progress);
    void restore(BackupPosition position, const ProgressFunction &progress);
    // Runs `work` on a worker thread with the status bar's progress shown.
    void runWithProgress(const std::function<void(const ProgressFunction &)> &work);

    AppContext &m_context;
    QWidget *m_window;
    QProgressBar *m_progress;
    QPointer<BackupRestoreDialog> m_dialog;
};

} // namespace folio
