// The backup and restore window driven as a user would: positions, the
// information line and its colours, refusals, and real backups and
// restores run on a worker thread.

#include "maintenance/backuprestoredialog.h"
#include "maintenance/workerrun.h"
#include "storage/filemaintenance.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

QLabel *label(QWidget *dialog, const QString &name)
{
    return dialog->findChild<QLabel *>(name);
}

QPushButton *button(QWidget *dialog, const QString &name)
{
    return dialog->findChild<QPushButton *>(name);
}

QColor textColor(QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

const QColor DarkBlue(0x00, 0x00, 0x80);
const QColor DarkRed(0x80, 0x00, 0x00);

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestBackupRestoreWindow : public QObject
{
    Q_OBJECT

private:
    // The work the program gives the window: the storage operation on a
    // worker thread.
    static BackupRestoreDialog::Work realWork(const ProgramFolder &folder, BackupRestoreMode mode)
    {
        return [dir = folder.path(), mode](BackupPosition position, const ProgressFunction &progress) {
            runOnWorkerThread(
                [&](const ProgressFunction &report) {
                    if (mode == BackupRestoreMode::Backup)
                        backupDatabase(dir, position, QDateTime(QDate(2005, 2, 1), QTime(9, 5, 3)), report);
                    else
                        restoreDatabase(dir, position, report);
                },
                progress);
        };
    }

private Q_SLOTS:
    void backupWindowOpensWithPositionsAndInstructions()
    {
        ProgramFolder folder;
        folder.createDatabase();
        QFile::copy(folder.file("KB97.MDB"), folder.file("BAKB2005=02=01 09-05-03.MDB"));
        QFile::copy(folder.file("KB97.MDB"), folder.file("bakd2004=03=15 14-05-09.mdb"));
        BackupRestoreDialog dialog(folder.path(), BackupRestoreMode::Backup, realWork(folder, BackupRestoreMode::Backup));
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
        QVERIFY(!dialog.isModal());
        QCOMPARE(label(&dialog, "Label1")->text(), QStringLiteral("Select a POSITION(A,B,C,D) first then press BUCKUP Button"));
        QCOMPARE(textColor(label(&dialog, "Label1")), DarkBlue);
        QVERIFY(button(&dialog, "cmdBackup")->isEnabled());
        QVERIFY(!button(&dialog, "cmdRestore")->isEnabled());
        QCOMPARE(label(&dialog, "lblName0")->text(), QString());
        QCOMPARE(label(&dialog, "lblName1")->text(), QStringLiteral("2005/02/01 09:05:03"));
        QCOMPARE(label(&dialog, "lblName2")->text(), QString());
        QCOMPARE(label(&dialog, "lblName3")->text(), QStringLiteral("2004/03/15 14:05:09"));

        // Pressing BACKUP before choosing a position.
        QTest::mouseClick(button(&dialog, "cmdBackup"), Qt::LeftButton);
        QCOMPARE(label(&dialog, "Label1")->text(), QStringLiteral("Please Select a Position first"));
        QCOMPARE(textColor(label(&dialog, "Label1")), DarkRed);
        QVERIFY(button(&dialog, "cmdBackup")->isEnabled());
        QVERIFY(dialog.isVisible());

        dialog.findChild<QAction *>("C")->trigger();
        QCOMPARE(label(&dialog, "Label1")->text(), QStringLiteral("POSITION C selected"));
        QCOMPARE(textColor(label(&dialog, "Label1")), DarkBlue);
        QCOMPARE(dialog.positionPrefix(), QStringLiteral("BAKC"));
        dialog.selectPosition(QStringLiteral("X"));
        QCOMPARE(dialog.positionPrefix(), QString());
    }

    void restoreRefusalsKeepTheWindowOpen()
    {
        ProgramFolder folder;
        folder.createDatabase();
        folder.exec("INSERT INTO DirTable (DirName) VALUES ('live')");
        const QByteArray live = readAll(folder.file("KB97.MDB"));
        QFile damaged(folder.file("BAKA2004=03=15 14-05-09.MDB"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("SQLite format 3\0", 16) + QByteArray(8192, '\x17'));
        damaged.close();

        BackupRestoreDialog dialog(folder.path(), BackupRestoreMode::Restore, realWork(folder, BackupRestoreMode::Restore));
        dialog.setAttribute(Qt::WA_DeleteOnClose, false);
        dialog.show();
        QCOMPARE(label(&dialog, "Label1")->text(), QStringLiteral("Select a POSITION(A,B,C,D) first then press RESTORE Button"));
        QVERIFY(!button(&dialog, "cmdBackup")->isEnabled());
        QVERIFY(button(&dialog, "cmdRestore")->isEnabled());

        dialog.findChild<QAction *>("C")->trigger();
        QTest::mouseClick(button(&dialog, "cmdRestore"), Qt::LeftButton);
        QCOMPARE(label(&dialog, "Label1")->text(), QStringLiteral("No backup data found."));
        QCOMPARE(textColor(label(&dialog, "Label1")), DarkRed);
        QVERIFY(button(&dialog, "cmdRestore")->isEnabled());

        dialog.findChild<QAction *>("A")->trigger();
        QTest::mouseClick(button(&dialog, "cmdRestore"), Qt::LeftButton);
        QVERIFY2(label(&dialog, "Label1")->text().startsWith("Could not restore the database from position A: "),
                 qPrintable(label(&dialog, "Label1")->text()));
        QCOMPARE(textColor(label(&dialog, "Label1")), DarkRed);
        QVERIFY(dialog.isVisible());
        QVERIFY(button(&dialog, "cmdRestore")->isEnabled());
        QCOMPARE(readAll(folder.file("KB97.MDB")), live);
    }
};

QTEST_MAIN(TestBackupRestoreWindow)
#include "test_backuprestore.moc"
