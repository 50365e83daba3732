#include "maintenance/backuprestoredialog.h"

#include "storage/storageerror.h"
#include "widgets/colors.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace folio {

namespace {

// The information line's own colours (0x00BBGGRR).
constexpr quint32 InstructionColor = 0x800000;  // dark blue
constexpr quint32 RunningColor = 0x000080;      // dark red
constexpr quint32 PositionLabelBackground = 0xE0E0E0;

QFont arial()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

BackupRestoreDialog::BackupRestoreDialog(QString programDir, BackupRestoreMode mode, Work work, QWidget *parent)
    : QDialog(parent)
    , m_programDir(std::move(programDir))
    , m_mode(mode)
    , m_work(std::move(work))
{
    setObjectName(QStringLiteral("frmBackupRestore"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    buildControls();

    const bool backup = mode == BackupRestoreMode::Backup;
    setWindowTitle(backup ? QStringLiteral("Backup Data") : QStringLiteral("Restore Data"));
    setInformation(backup ? QStringLiteral("Select a POSITION(A,B,C,D) first then press BUCKUP Button")
                          : QStringLiteral("Select a POSITION(A,B,C,D) first then press RESTORE Button"),
                   InstructionColor);
    m_backup->setEnabled(backup);
    m_restore->setEnabled(!backup);
    loadPositionLabels();
}

void BackupRestoreDialog::buildControls()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(frame);

    m_positions = new QToolBar(frame);
    m_positions->setObjectName(QStringLiteral("Toolbar1"));
    m_positions->setOrientation(Qt::Vertical);
    m_positions->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto *group = new QActionGroup(m_positions);
    const QIcon drive = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (BackupPosition position : AllBackupPositions) {
        const QString key = backupPositionKey(position);
        QAction *action = m_positions->addAction(drive, key);
        action->setObjectName(key);
        action->setToolTip(QStringLiteral("Backup Positon %1").arg(key));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, key] { selectPosition(key); });
    }
    grid->addWidget(m_positions, 0, 0, 4, 1);

    for (int i = 0; i < 4; ++i) {
        m_names[i] = new QLabel(frame);
        m_names[i]->setObjectName(QStringLiteral("lblName%1").arg(i));
        m_names[i]->setFont(arial());
        m_names[i]->setAutoFillBackground(true);
        QPalette palette = m_names[i]->palette();
        palette.setColor(QPalette::Window, colorFromBgr(PositionLabelBackground));
        m_names[i]->setPalette(palette);
        m_names[i]->setMinimumWidth(160);
        grid->addWidget(m_names[i], i, 1);
    }

    m_information = new QLabel(QStringLiteral("Information/Tips"), frame);
    m_information->setObjectName(QStringLiteral("Label1"));
    m_information->setFont(arial());
    m_information->setWordWrap(true);
    grid->addWidget(m_information, 4, 0, 1, 2);

    m_progress = new QProgressBar(frame);
    m_progress->setObjectName(QStringLiteral("prgWork"));
    m_progress->setRange(0, 100);
    m_progress->hide();
    grid->addWidget(m_progress, 5, 0, 1, 2);

    m_backup = new QPushButton(QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton),
                               QStringLiteral("BACKUP"), frame);
    m_backup->setObjectName(QStringLiteral("cmdBackup"));
    m_restore = new QPushButton(QApplication::style()->standardIcon(QStyle::SP_BrowserReload),
                                QStringLiteral("RESTORE"), frame);
    m_restore->setObjectName(QStringLiteral("cmdRestore"));
    for (QPushButton *button : {m_backup, m_restore})
        button->setAutoDefault(false);
    grid->addWidget(m_backup, 6, 0);
    grid->addWidget(m_restore, 6, 1);
    connect(m_backup, &QPushButton::clicked, this, &BackupRestoreDialog::startBackup);
    connect(m_restore, &QPushButton::clicked, this, &BackupRestoreDialog::startRestore);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
}

QString BackupRestoreDialog::positionPrefix() const
{
    return m_position ? backupPrefix(*m_position) : QString();
}

void BackupRestoreDialog::selectPosition(const QString &key)
{
    m_position = backupPositionFromKey(key);
    setInformation(QStringLiteral("POSITION ") + key + QStringLiteral(" selected"), InstructionColor);
}

void BackupRestoreDialog::loadPositionLabels()
{
    for (BackupPosition position : AllBackupPositions) {
        const QString file = backupFileAt(m_programDir, position);
        m_names[int(position)]->setText(file.isEmpty() ? QString() : backupLabel(QFileInfo(file).fileName()));
    }
}

void BackupRestoreDialog::startBackup()
{
    run(m_backup, QStringLiteral("Backup now, wait please"), QStringLiteral("Backup Finished"));
}

void BackupRestoreDialog::startRestore()
{
    run(m_restore, QStringLiteral("Restore now, wait please"), QStringLiteral("Restore Finished"));
}

void BackupRestoreDialog::run(QPushButton *button, const QString &running, const QString &finished)
{
    button->setEnabled(false);
    if (!m_position) {
        setInformation(QStringLiteral("Please Select a Position first"), RunningColor);
        button->setEnabled(true);
        return;
    }
    if (m_mode == BackupRestoreMode::Restore && backupFileAt(m_programDir, *m_position).isEmpty()) {
        setInformation(QStringLiteral("No backup data found."), RunningColor);
        button->setEnabled(true);
        return;
    }
    setInformation(running, RunningColor);
    m_positions->setEnabled(false);
    m_progress->setValue(0);
    m_progress->show();
    bool succeeded = false;
    try {
        m_work(*m_position, [this](int percent) { showProgress(percent); });
        succeeded = true;
        setInformation(finished, RunningColor);
    } catch (const StorageError &e) {
        setInformation(e.userText(), RunningColor);
    } catch (const std::exception &e) {
        // The texts our own code throws are built from QString as UTF-8,
        // whatever the locale's encoding.
        setInformation(QString::fromUtf8(e.what()), RunningColor);
    }
    m_progress->hide();
    m_positions->setEnabled(true);
    button->setEnabled(true);
    loadPositionLabels();
    if (succeeded)
        close();
}

void BackupRestoreDialog::showProgress(int percent)
{
    m_progress->setValue(percent);
    // The previous backup of the position is removed once the new one is in place.
    if (percent == 100 && m_mode == BackupRestoreMode::Backup)
        setInformation(QStringLiteral("Erasing Old Backup File"), RunningColor);
}

void BackupRestoreDialog::setInformation(const QString &text, quint32 bgrColor)
{
    m_information->setText(text);
    QPalette palette = m_information->palette();
    palette.setColor(QPalette::WindowText, colorFromBgr(bgrColor));
    m_information->setPalette(palette);
}

} // namespace folio
