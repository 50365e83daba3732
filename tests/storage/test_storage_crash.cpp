// Kills a process running compaction, rebuild, backup or restore with
// SIGKILL at many moments (at each flush step and spread over its run
// time) and checks after every kill that the folder holds a valid KB97.MDB
// with the old or the new content, and that every backup file is valid
// and holds the previous or the new backup.

#include "storage/backupfiles.h"
#include "storage/database.h"
#include "storage/databasecheck.h"
#include "storage/sqlitefile.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

constexpr int TimedKillsPerOperation = 25;

// The content of a database file in one line: its folder names and its
// number of documents.
QString contentOf(const QString &path)
{
    SqliteFile db(path, SqliteFile::Access::ReadOnly, QStringLiteral("read"));
    return QStringLiteral("%1 / %2").arg(
        db.scalar(QStringLiteral("SELECT group_concat(DirName, '|') FROM (SELECT DirName FROM DirTable ORDER BY DirNum)"))
            .toString(),
        db.scalar(QStringLiteral("SELECT count(*) FROM DocTable")).toString());
}

struct Run
{
    bool killed = false;
    int exitCode = -1;
    int flushes = 0;
};

// Starts the helper; kills it after `killAfterUs` microseconds (negative:
// never) or as soon as it stops itself before flush `stopAt`.
Run runHelper(const QString &operation, const QString &folder, qint64 killAfterUs, int stopAt = 0)
{
    int out[2];
    if (::pipe(out) != 0)
        qFatal("pipe failed");
    const QByteArray helper(FOLIO_CRASH_HELPER), op = operation.toUtf8(), dir = QFile::encodeName(folder),
        stop = QByteArray::number(stopAt);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execl(helper.constData(), helper.constData(), op.constData(), dir.constData(), "stop-before-flush",
                stop.constData(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    Run run;
    int status = 0;
    if (stopAt > 0) {
        ::waitpid(pid, &status, WUNTRACED);
        if (WIFSTOPPED(status)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
    } else if (killAfterUs >= 0) {
        ::usleep(useconds_t(killAfterUs));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    } else {
        ::waitpid(pid, &status, 0);
    }
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    char text[64] = {};
    const ssize_t n = ::read(out[0], text, sizeof text - 1);
    ::close(out[0]);
    if (n > 0)
        std::sscanf(text, "flushes %d", &run.flushes);
    return run;
}

} // namespace

class TestStorageCrash : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_pristine;
    QTemporaryDir m_work;
    QString m_live, m_backupA, m_backupB;  // contents of the pristine files
    const QString m_nameA = QStringLiteral("BAKA2004=03=15 14-05-09.MDB");
    const QString m_nameB = QStringLiteral("BAKB2005=02=01 09-05-03.MDB");

    // Puts the pristine files back; leftovers of the killed run stay, as
    // they would after a real crash.
    void resetWorkFolder()
    {
        QDir work(m_work.path());
        for (const QString &name : work.entryList({"KB97.MDB*", "blank97.MDB", "BAK*"}, QDir::Files))
            QVERIFY(work.remove(name));
        for (const QString &name : QDir(m_pristine.path()).entryList(QDir::Files))
            QVERIFY(QFile::copy(QDir(m_pristine.path()).filePath(name), work.filePath(name)));
    }

    // What every kill must leave; `liveContents` and `positionA` list the
    // allowed contents.
    void verifyFolder(const QSet<QString> &liveContents, const QSet<QString> &positionA, const QString &when)
    {
        const QDir work(m_work.path());
        QVERIFY2(work.exists("KB97.MDB"), qPrintable("KB97.MDB missing " + when));
        {
            Database db(m_work.path());
            const OpenResult opened = db.open();
            QVERIFY2(opened.ok(), qPrintable(opened.message + " " + when));
        }
        QVERIFY2(!work.exists("KB97.MDB-journal"), qPrintable(when));
        try {
            checkDatabaseFile(work.filePath("KB97.MDB"), "check");
            const QString live = contentOf(work.filePath("KB97.MDB"));
            QVERIFY2(liveContents.contains(live), qPrintable("KB97.MDB holds " + live + " " + when));
            const QStringList filesA = backupFilesAt(m_work.path(), BackupPosition::A);
            QVERIFY2(!filesA.isEmpty(), qPrintable("position A lost its backup " + when));
            for (const QString &name : filesA) {
                checkDatabaseFile(work.filePath(name), "check");
                QVERIFY2(positionA.contains(contentOf(work.filePath(name))), qPrintable(name + " " + when));
            }
            const QStringList filesB = backupFilesAt(m_work.path(), BackupPosition::B);
            QCOMPARE(filesB, QStringList{m_nameB});
            QCOMPARE(contentOf(work.filePath(m_nameB)), m_backupB);
        } catch (const StorageError &e) {
            QFAIL(qPrintable(e.userText() + " " + when));
        }
    }

    void crashOperation(const QString &operation, const QSet<QString> &liveContents, const QSet<QString> &positionA)
    {
        // Full runs: how many flushes one makes, and how long the quickest
        // takes (one slow run on a busy machine would put most timed kills
        // after the end of the runs that follow).
        Run full;
        qint64 fullUs = std::numeric_limits<qint64>::max();
        for (int i = 0; i < 3; ++i) {
            resetWorkFolder();
            QElapsedTimer timer;
            timer.start();
            full = runHelper(operation, m_work.path(), -1);
            fullUs = std::min(fullUs, timer.nsecsElapsed() / 1000);
            QCOMPARE(full.exitCode, 0);
            QVERIFY(full.flushes >= 2);
            verifyFolder(liveContents, positionA, operation + " finished");
        }

        int kills = 0;
        for (int step = 1; step <= full.flushes; ++step) {
            resetWorkFolder();
            const Run run = runHelper(operation, m_work.path(), -1, step);
            QVERIFY(run.killed);
            ++kills;
            verifyFolder(liveContents, positionA, QStringLiteral("%1 killed before flush %2").arg(operation).arg(step));
        }
        for (int i = 1; i <= TimedKillsPerOperation; ++i) {
            resetWorkFolder();
            const qint64 at = fullUs * i / TimedKillsPerOperation;
            const Run run = runHelper(operation, m_work.path(), at);
            kills += run.killed;
            verifyFolder(liveContents, positionA, QStringLiteral("%1 killed after %2 ms").arg(operation).arg(at / 1000));
        }
        qInfo("%s: a run takes %lld ms; %d kills", qPrintable(operation), fullUs / 1000, kills);
        QVERIFY(kills > TimedKillsPerOperation / 2);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_pristine.isValid() && m_work.isValid());
        // Two small backups, told apart by their folder names.
        for (const auto &[name, marker] : {std::pair{m_nameA, QStringLiteral("old backup A")},
                                          std::pair{m_nameB, QStringLiteral("backup B")}}) {
            ProgramFolder small;
            small.createDatabase();
            small.exec(QStringLiteral("INSERT INTO DirTable (DirName) VALUES ('%1')").arg(marker));
            QVERIFY(QFile::copy(small.file("KB97.MDB"), QDir(m_pristine.path()).filePath(name)));
        }
        // A live database of some 16 MB, a quarter of it free pages, so that
        // compaction changes the file.
        ProgramFolder live;
        live.createDatabase();
        live.execAll({"INSERT INTO DirTable (DirName) VALUES ('live')",
                      "INSERT INTO DocTable (DirNum, DocName, Text) "
                      "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 2000) "
                      "SELECT 1, 'doc ' || x, hex(randomblob(4000)) FROM n",
                      "DELETE FROM DocTable WHERE DocNum % 4 = 0"});
        QVERIFY(QFile::copy(live.file("KB97.MDB"), QDir(m_pristine.path()).filePath("KB97.MDB")));
        QVERIFY(QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), QDir(m_pristine.path()).filePath("blank97.MDB")));
        m_live = contentOf(QDir(m_pristine.path()).filePath("KB97.MDB"));
        m_backupA = contentOf(QDir(m_pristine.path()).filePath(m_nameA));
        m_backupB = contentOf(QDir(m_pristine.path()).filePath(m_nameB));
        QCOMPARE(m_live, QStringLiteral("live / 1500"));
    }

    void killedCompaction() { crashOperation("compact", {m_live}, {m_backupA}); }
    void killedRebuild() { crashOperation("rebuild", {m_live, QStringLiteral(" / 0")}, {m_backupA}); }
    void killedBackup() { crashOperation("backup", {m_live}, {m_backupA, m_live}); }
    void killedRestore() { crashOperation("restore", {m_live, m_backupB}, {m_backupA}); }
};

QTEST_GUILESS_MAIN(TestStorageCrash)
#include "test_storage_crash.moc"
