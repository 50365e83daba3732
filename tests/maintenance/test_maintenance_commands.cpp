// The maintenance commands on a pane fixture with the real folder tree, the
// real message board and the real backup and restore window: questions,
// notices, what the tree shows afterwards, and the files left on disk.

#include "editor/documentpane.h"
#include "editor/titlebox.h"
#include "maintenance/backuprestoredialog.h"
#include "maintenance/maintenanceactions.h"
#include "storage/atomicfile.h"
#include "storage/filemaintenance.h"
#include "storage/sqlitefile.h"
#include "support/panefixture.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"
#include "widgets/statuspanel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::PaneFixture;

namespace {

const QStringList TwoFolders = {
    "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0), (2, 'Work', 'R', 0)",
    "INSERT INTO DocTable (DirNum, DocName, Text) "
    "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 600) "
    "SELECT 1, 'doc ' || x, hex(randomblob(3000)) FROM n",
    "DELETE FROM DocTable WHERE DocNum > 100",
    // Deleted documents are kept in the history; emptied so that the space
    // they held is free for compaction to give back.
    "DELETE FROM DocHistory",
};

QStringList topNames(FolderTree *tree)
{
    QStringList names;
    for (int i = 0; i < tree->model()->rowCount(); ++i)
        names << tree->model()->index(i, 0).data().toString();
    return names;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A fixture with the folder tree shown and the maintenance commands.
struct Setup
{
    PaneFixture fixture{TwoFolders};
    FolderTree *tree = new FolderTree(fixture.context(), nullptr);
    MaintenanceActions actions{fixture.context(), &fixture.host()};

    Setup()
    {
        fixture.show(tree);
        tree->loadRootFolders();
    }
    QString file(const QString &name) const { return fixture.folder().file(name); }
    QProgressBar *progress() { return fixture.status().findChild<QProgressBar *>("prgMaintenance"); }
};

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(name);
}

QString information(QWidget *dialog)
{
    return dialog->findChild<QLabel *>("Label1")->text();
}

} // namespace

class TestMaintenanceCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compactionShowsProgressAndReloadsTheTree()
    {
        Setup s;
        QFile leftover(s.file("~compressed.mdb"));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("an interrupted run");
        leftover.close();
        const qint64 before = QFileInfo(s.file("KB97.MDB")).size();
        s.fixture.state().navigateTo(2, 0);

        // What a user sees while the work runs.
        QList<bool> busyWhileRunning;
        QObject::connect(s.progress(), &QProgressBar::valueChanged, [&] {
            busyWhileRunning << (s.fixture.status().dbStatus() == DbStatus::Busy && s.progress()->isVisible());
        });
        BoardRobot board(s.fixture.board());
        board.answerInTurn({"picOK"});
        s.actions.compressDb();

        QCOMPARE(board.messages(), QStringList{"Database compact finished successfully."});
        QVERIFY(!busyWhileRunning.isEmpty());
        QVERIFY(!busyWhileRunning.contains(false));
        QVERIFY(!s.progress()->isVisible());
        QCOMPARE(s.fixture.status().dbStatus(), DbStatus::Idle);
        QVERIFY(QFileInfo(s.file("KB97.MDB")).size() < before / 2);
        QVERIFY(!QFile::exists(s.file("~compressed.mdb")));
        QVERIFY(s.fixture.context().db.isOpen());
        QCOMPARE(topNames(s.tree), QStringList({"Home", "Work"}));
        QCOMPARE(s.fixture.context().documents.listDocuments(1).size(), 100);
        // The same rows under the same keys: the user stays where they were.
        QCOMPARE(s.fixture.state().currentDirNum(), DirNum(2));
        QCOMPARE(s.tree->currentIndex().data().toString(), QStringLiteral("Work"));
    }

    // The file is replaced under the pane, so an edit is left first: Cancel
    // keeps it and compacts nothing; Yes saves it into its own row, then
    // compacts and shows the document again.
    void compactionLeavesTheEditFirst()
    {
        Setup s;
        auto *pane = new DocumentPane(s.fixture.context(), nullptr);
        s.fixture.show(pane);
        s.fixture.state().navigateTo(1, 5);
        s.fixture.state().setDocumentEntrySelected(true);  // as the list does when it selects the entry
        pane->editDocument();
        QVERIFY(s.fixture.state().isEditing());
        pane->titleBox()->setText(QStringLiteral("revised while compacting"));
        const qint64 before = QFileInfo(s.file("KB97.MDB")).size();
        {
            BoardRobot board(s.fixture.board());
            board.answerInTurn({"picCancel"});
            s.actions.compressDb();
            QCOMPARE(board.messages().size(), 1);
            QVERIFY(board.messages().first().contains(QStringLiteral("not saved")));
        }
        QVERIFY(s.fixture.state().isEditing());
        QCOMPARE(pane->titleBox()->text(), QStringLiteral("revised while compacting"));
        QCOMPARE(QFileInfo(s.file("KB97.MDB")).size(), before);

        BoardRobot board(s.fixture.board());

        board.answerInTurn({"picYes", "picOK"});
        s.actions.compressDb();
        QCOMPARE(board.messages().size(), 2);
        QCOMPARE(board.messages().last(), QStringLiteral("Database compact finished successfully."));
        QVERIFY(!s.fixture.state().isEditing());
        // Stored as a revision of document 5, not as a second copy, and shown again.
        QCOMPARE(s.fixture.context().documents.listDocuments(1).size(), 100);
        QCOMPARE(s.fixture.context().documents.readDocument(5)->title, QStringLiteral("revised while compacting"));
        QCOMPARE(s.fixture.state().currentDocNum(), DocNum(5));
        QCOMPARE(pane->titleBox()->text(), QStringLiteral("revised while compacting"));
    }

    void failedCompactionKeepsTheDatabaseOpen()
    {
        Setup s;
        const QByteArray old = readAll(s.file("KB97.MDB"));
        const FlushFunction previous = setFlushFunction([](FlushKind kind, const QString &) {
            return kind != FlushKind::FileData;  // the disk refuses the new file
        });
        BoardRobot board(s.fixture.board());
        board.answerInTurn({"picOK"});
        s.actions.compressDb();
        setFlushFunction(previous);

        QCOMPARE(board.messages().size(), 1);
        QVERIFY2(board.messages()[0].startsWith("Database compact failure.\nCould not compact the database: cannot flush"),
                 qPrintable(board.messages()[0]));
        QCOMPARE(readAll(s.file("KB97.MDB")), old);
        QVERIFY(!QFile::exists(s.file("~compressed.mdb")));
        QVERIFY(s.fixture.context().db.isOpen());
        QCOMPARE(topNames(s.tree), QStringList({"Home", "Work"}));
        QCOMPARE(s.fixture.status().dbStatus(), DbStatus::Idle);
    }

    void rebuildAsksTwiceBeforeReplacing()
    {
        Setup s;
        const QByteArray old = readAll(s.file("KB97.MDB"));
        {
            BoardRobot board(s.fixture.board());
            board.answerInTurn({"picNo"});
            s.actions.rebuildDb();
            QCOMPARE(board.messages(), QStringList{"Rebuild Database will erase all current information in current "
                                                 "database and recreate a new blink database. Do you want to continue?"});
        }
        {
            BoardRobot board(s.fixture.board());
            board.answerInTurn({"picYes", "picNo"});
            QList<DbStatus> statuses;
            board.beforeAnswer = [&] { statuses << s.fixture.status().dbStatus(); };
            s.actions.rebuildDb();
            QCOMPARE(board.messages().size(), 2);
            QCOMPARE(board.messages()[1], QStringLiteral("Do you really want to clean all your data and rebuild database?"));
            QCOMPARE(statuses, QList<DbStatus>({DbStatus::Idle, DbStatus::Busy}));
        }
        QCOMPARE(s.fixture.status().dbStatus(), DbStatus::Idle);
        QCOMPARE(readAll(s.file("KB97.MDB")), old);
        QVERIFY(s.fixture.context().db.isOpen());

        BoardRobot board(s.fixture.board());

        board.answerInTurn({"picYes", "picYes", "picOK"});
        s.actions.rebuildDb();
        QCOMPARE(board.messages().size(), 3);
        QCOMPARE(board.messages()[2], QStringLiteral("Database rebuilt from the empty template successfully."));
        QCOMPARE(readAll(s.file("KB97.MDB")), readAll(s.file("blank97.MDB")));
        QVERIFY(QFile::exists(s.file("blank97.MDB")));
        QCOMPARE(topNames(s.tree), QStringList());
        QVERIFY(s.fixture.context().db.isOpen());
    }

    void rebuildWithoutTemplateReportsAndKeepsData()
    {
        Setup s;
        QVERIFY(QFile::remove(s.file("blank97.MDB")));
        const QByteArray old = readAll(s.file("KB97.MDB"));
        BoardRobot board(s.fixture.board());
        board.answerInTurn({"picYes", "picYes", "picOK"});
        s.actions.rebuildDb();
        QCOMPARE(board.messages().value(2), QStringLiteral("Database Rebuild Failure."));
        QCOMPARE(readAll(s.file("KB97.MDB")), old);
        QCOMPARE(topNames(s.tree), QStringList({"Home", "Work"}));
        QVERIFY(s.fixture.context().db.isOpen());
    }

    void backupWindowIsSingleAndKeepsItsDirection()
    {
        Setup s;
        s.actions.backupDb();
        BackupRestoreDialog *dialog = s.actions.dialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->mode(), BackupRestoreMode::Backup);
        QVERIFY(!dialog->isModal());

        BoardRobot board(s.fixture.board());

        board.answerInTurn({"picYes"});
        s.actions.restoreDb();
        QCOMPARE(board.messages(), QStringList{"RESTORE operation will use backup data to overwirte current data. "
                                             "Do you want to continue?"});
        QCOMPARE(s.actions.dialog(), dialog);
        QCOMPARE(dialog->mode(), BackupRestoreMode::Backup);
        QCOMPARE(s.fixture.host().findChildren<BackupRestoreDialog *>().size(), 1);

        dialog->findChild<QAction *>("B")->trigger();
        QTest::mouseClick(button(dialog, "cmdBackup"), Qt::LeftButton);
        QTRY_VERIFY(!s.actions.dialog());
        const QStringList files = backupFilesAt(s.fixture.folder().path(), BackupPosition::B);
        QCOMPARE(files.size(), 1);
        QCOMPARE(files[0].size(), QStringLiteral("BAKB2004=03=15 14-05-09.MDB").size());
        SqliteFile backup(s.file(files[0]), SqliteFile::Access::ReadOnly, "read");
        QCOMPARE(backup.scalar("SELECT count(*) FROM DocTable").toInt(), 100);
        QCOMPARE(s.fixture.status().dbStatus(), DbStatus::Idle);
    }

    void restoreReplacesTheFileAndResetsTheScreen()
    {
        Setup s;
        {
            BoardRobot board(s.fixture.board());
            board.answerInTurn({"picNo"});
            s.actions.restoreDb();
            QCOMPARE(board.messages().size(), 1);
            QVERIFY(!s.actions.dialog());
        }
        // A backup holding other folders.
        backupDatabase(s.fixture.folder().path(), BackupPosition::A, QDateTime(QDate(2005, 2, 1), QTime(9, 5, 3)));
        {
            SqliteFile backup(s.file("BAKA2005=02=01 09-05-03.MDB"), SqliteFile::Access::ReadWrite, "change");
            backup.exec("UPDATE DirTable SET DirName = 'Restored ' || DirName");
        }
        s.fixture.state().navigateTo(2, 0);
        BoardRobot board(s.fixture.board());
        board.answerInTurn({"picYes"});
        s.actions.restoreDb();
        BackupRestoreDialog *dialog = s.actions.dialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QLabel *>("lblName0")->text(), QStringLiteral("2005/02/01 09:05:03"));

        // A change that was not finished blocks the restore.
        QFile journal(s.file("KB97.MDB-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.close();
        dialog->findChild<QAction *>("A")->trigger();
        QTest::mouseClick(button(dialog, "cmdRestore"), Qt::LeftButton);
        QVERIFY2(information(dialog).contains("KB97.MDB-journal exists"), qPrintable(information(dialog)));
        QCOMPARE(topNames(s.tree), QStringList({"Home", "Work"}));
        QVERIFY(s.fixture.context().db.isOpen());
        QFile::remove(s.file("KB97.MDB-journal"));

        QTest::mouseClick(button(dialog, "cmdRestore"), Qt::LeftButton);
        QTRY_VERIFY(!s.actions.dialog());
        QCOMPARE(topNames(s.tree), QStringList({"Restored Home", "Restored Work"}));
        QCOMPARE(s.fixture.state().currentDirNum(), DirNum(0));
        QVERIFY(QFile::exists(s.file("BAKA2005=02=01 09-05-03.MDB")));
        QVERIFY(s.fixture.context().db.isOpen());
    }

    void mainWindowRunsTheCommandsFromItsActions()
    {
        folio::test::ProgramFolder folder;
        folder.createDatabase();
        folder.exec("INSERT INTO DirTable (DirName) VALUES ('Home')");
        auto window = folio::test::openWindow(folder);
        QVERIFY(window);
        BoardRobot board(window->board());
        board.answerInTurn({"picOK", "picNo", "picNo"});
        board.clear();

        window->findChild<QAction *>("DbCompact")->trigger();
        QTRY_COMPARE(board.messages().size(), 1);
        QCOMPARE(board.messages().last(), QStringLiteral("Database compact finished successfully."));

        window->findChild<QAction *>("MnuRebuildDb")->trigger();
        QCOMPARE(board.messages().size(), 2);
        QVERIFY(board.messages().last().startsWith("Rebuild Database will erase"));

        window->findChild<QAction *>("MnuRestoreDb")->trigger();
        QCOMPARE(board.messages().size(), 3);
        QVERIFY(!window->findChild<BackupRestoreDialog *>("frmBackupRestore"));

        window->findChild<QAction *>("DbBackup")->trigger();
        auto *dialog = window->findChild<BackupRestoreDialog *>("frmBackupRestore");
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Backup Data"));
        dialog->findChild<QAction *>("D")->trigger();
        QTest::mouseClick(button(dialog, "cmdBackup"), Qt::LeftButton);
        QTRY_VERIFY(!window->findChild<BackupRestoreDialog *>("frmBackupRestore"));
        QCOMPARE(backupFilesAt(folder.path(), BackupPosition::D).size(), 1);
    }
};

QTEST_MAIN(TestMaintenanceCommands)
#include "test_maintenance_commands.moc"
