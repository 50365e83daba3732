#pragma once

#include "storage/atomicfile.h"
#include "storage/backupfiles.h"

#include <QDialog>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace folio {

enum class BackupRestoreMode { Backup, Restore };

// The backup and restore window: four positions A to D with the moment of
// the backup each holds, one button that runs the chosen direction, and an
// information line. The work itself is given as a function that throws
// StorageError; a successful run closes the window, a failed one leaves it
// open with the reason on the information line.
class BackupRestoreDialog : public QDialog
{
    Q_OBJECT
public:
    // Runs the backup or restore of a position; reports progress 0 to 100.
    using Work = std::function<void(BackupPosition position, const ProgressFunction &progress)>;

    BackupRestoreDialog(QString programDir, BackupRestoreMode mode, Work work, QWidget *parent = nullptr);

    BackupRestoreMode mode() const { return m_mode; }
    // "BAKA" to "BAKD", or empty while no position is selected.
    QString positionPrefix() const;

    // A press of a position button, by its key ("A" to "D"; any other key
    // selects none).
    void selectPosition(const QString &key);
    // Fills the four position labels from the files in the program folder.
    void loadPositionLabels();

private:
    void buildControls();
    void startBackup();
    void startRestore();
    // Runs the work for the selected position with `running` on the
    // information line; closes the window when it succeeds.
    void run(QPushButton *button, const QString &running, const QString &finished);
    void showProgress(int percent);
    void setInformation(const QString &text, quint32 bgrColor);

    QString m_programDir;
    BackupRestoreMode m_mode;
    Work m_work;
    std::optional<BackupPosition> m_position;
    QToolBar *m_positions = nullptr;
    QLabel *m_names[4] = {};
    QLabel *m_information = nullptr;
    QPushButton *m_backup = nullptr;
    QPushButton *m_restore = nullptr;
    QProgressBar *m_progress = nullptr;
};

} // namespace folio
