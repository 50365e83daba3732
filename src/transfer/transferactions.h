#pragma once

#include "transfer/folderexport.h"
#include "transfer/importrun.h"
#include "widgets/commands.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace folio {

struct AppContext;
class BackgroundJob;
class BusyScope;
class ExportFolderDialog;
class ImportDialog;
class ImportReportDialog;

// "Import..." and "Export Folder...": the windows that ask what and where,
// and the work on a worker thread while the commands that need the
// database wait. An import adds everything in one transaction and then
// reloads every pane; an export writes files and leaves the base as it is.
class TransferActions : public QObject
{
    Q_OBJECT
public:
    TransferActions(AppContext &context, QWidget *window);
    ~TransferActions() override;
    QList<CommandBinding> bindings();

    void showImport();
    // The selected folder, or every folder when none is selected.
    void showExportFolder();

    ImportDialog *importDialog() const;
    ExportFolderDialog *exportDialog() const;
    ImportReportDialog *reportDialog() const;
    bool isRunning() const;

Q_SIGNALS:
    // Work on a connection of its own is about to start: background work on
    // the file (the search index) should pause until workEnded().
    void workStarting();
    // The work has ended (done, cancelled or failed) and the windows say so.
    void workEnded();

private:
    void startImport();
    void importEnded(const QString &failure);
    void startExport();
    void exportEnded(const QString &failure);
    void beginWork();
    void endWork();

    AppContext &m_context;
    QWidget *m_window;
    BackgroundJob *m_job;
    std::unique_ptr<BusyScope> m_busy;
    QPointer<ImportDialog> m_import;
    QPointer<ExportFolderDialog> m_export;
    QPointer<ImportReportDialog> m_report;
    ImportResult m_importResult;
    ExportResult m_exportResult;
    DirNum m_exportRoot = 0;
};

} // namespace folio
