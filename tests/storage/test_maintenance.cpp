// Compaction, rebuild, backup and restore on real files: what each leaves
// in the program folder, the order of flush and rename, and that every
// failure leaves KB97.MDB and the backups as they were.

#include "storage/atomicfile.h"
#include "storage/backupfiles.h"
#include "storage/databasecheck.h"
#include "storage/filemaintenance.h"
#include "storage/schema.h"
#include "storage/sqlitefile.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

const QDateTime FirstMoment(QDate(2004, 3, 15), QTime(14, 5, 9));
const QDateTime SecondMoment(QDate(2005, 2, 1), QTime(9, 5, 3));

QVariant scalarOf(const QString &path, const QString &sql)
{
    SqliteFile db(path, SqliteFile::Access::ReadOnly, QStringLiteral("read"));
    return db.scalar(sql);
}

// The folder names of a database file, as a fingerprint of its content.
QString foldersOf(const QString &path)
{
    return scalarOf(path, QStringLiteral("SELECT group_concat(DirName, '|') FROM "
                                         "(SELECT DirName FROM DirTable ORDER BY DirNum)")).toString();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList filesIn(const ProgramFolder &folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A program folder whose KB97.MDB holds one folder named `marker` and
// `documents` documents of about 4 KB each.
void fillDatabase(const ProgramFolder &folder, const QString &marker, int documents = 50)
{
    folder.createDatabase();
    folder.execAll({QStringLiteral("INSERT INTO DirTable (DirName) VALUES ('%1')").arg(marker),
                    QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text) "
                                   "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                                   "SELECT 1, 'doc ' || x, hex(randomblob(2000)) FROM n").arg(documents)});
}

// Replaces the flush for one test and records every call, with what the
// folder looked like at that moment.
class FlushRecorder
{
public:
    explicit FlushRecorder(std::function<bool(FlushKind, const QString &)> answer = {})
        : m_previous(setFlushFunction([this, answer](FlushKind kind, const QString &path) {
              calls << QStringLiteral("%1 %2").arg(kind == FlushKind::FileData ? "file" : "folder",
                                                   QFileInfo(path).fileName());
              if (observe)
                  observe(kind, path);
              return answer ? answer(kind, path) : true;
          }))
    {
    }
    ~FlushRecorder() { setFlushFunction(m_previous); }

    QStringList calls;
    std::function<void(FlushKind, const QString &)> observe;

private:
    FlushFunction m_previous;
};

bool failFileData(FlushKind kind, const QString &)
{
    return kind != FlushKind::FileData;
}

struct stat statusOf(const QString &path)
{
    struct stat status{};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

mode_t permissionsOf(const QString &path)
{
    return statusOf(path).st_mode & 07777;
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void backupNamesAndLabels()
    {
        QCOMPARE(backupFileName(BackupPosition::A, FirstMoment), QStringLiteral("BAKA2004=03=15 14-05-09.MDB"));
        QCOMPARE(backupFileName(BackupPosition::D, SecondMoment), QStringLiteral("BAKD2005=02=01 09-05-03.MDB"));
        QCOMPARE(backupLabel(QStringLiteral("BAKB2005=02=01 09-05-03.MDB")), QStringLiteral("2005/02/01 09:05:03"));
        QCOMPARE(backupLabel(QStringLiteral("bakc2005=02=01 09-05-03.mdb")), QStringLiteral("2005/02/01 09:05:03"));
        QCOMPARE(backupLabel(QStringLiteral("BAKAcopy-2.txt")), QStringLiteral("copy:2.txt"));
        QCOMPARE(backupPositionFromKey(QStringLiteral("C")), std::optional(BackupPosition::C));
        QCOMPARE(backupPositionFromKey(QStringLiteral("E")), std::nullopt);
        QCOMPARE(backupPositionFromKey(QStringLiteral("a")), std::nullopt);
        QCOMPARE(backupPrefix(BackupPosition::B), QStringLiteral("BAKB"));
    }

    void positionFilesAreFoundInAnyCase()
    {
        ProgramFolder folder;
        writeFile(folder.file(QStringLiteral("baka2003=01=01 00-00-00.mdb")), "x");
        writeFile(folder.file(QStringLiteral("BAKA2004=03=15 14-05-09.MDB")), "x");
        writeFile(folder.file(QStringLiteral("BAKB2004=03=15 14-05-09.MDB.old")), "x");
        writeFile(folder.file(QStringLiteral("~BAKA.partial")), "x");
        QCOMPARE(backupFilesAt(folder.path(), BackupPosition::A).size(), 2);
        QCOMPARE(QFileInfo(backupFileAt(folder.path(), BackupPosition::A)).fileName(),
                 QStringLiteral("BAKA2004=03=15 14-05-09.MDB"));
        QVERIFY(backupFileAt(folder.path(), BackupPosition::B).isEmpty());
    }

    void checkRefusesFilesThatCannotReplaceTheDatabase_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a database") << "text" << "is damaged or is not a database file";
        QTest::newRow("empty file") << "empty" << "is damaged or is not a database file";
        QTest::newRow("other program") << "foreign" << "is not a Folio Keeper database";
        QTest::newRow("newer version") << "newer" << "newer version";
        QTest::newRow("tables missing") << "tables" << "lacks the folder or document table";
        QTest::newRow("damaged page") << "page" << "is damaged";
        QTest::newRow("cut short") << "truncated" << "is damaged";
        QTest::newRow("last page cut") << "tail" << "its size does not match its pages";
    }

    void checkRefusesFilesThatCannotReplaceTheDatabase()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString file = folder.file(QStringLiteral("KB97.MDB"));
        checkDatabaseFile(file, QStringLiteral("check"));  // the undamaged file passes

        QByteArray bytes = readAll(file);
        if (damage == "text")
            writeFile(file, "just some text, no database at all");
        else if (damage == "empty")
            writeFile(file, {});
        else if (damage == "foreign")
            folder.exec(QStringLiteral("PRAGMA application_id = 42"));
        else if (damage == "newer")
            folder.exec(QStringLiteral("PRAGMA user_version = 99"));
        else if (damage == "tables")
            folder.exec(QStringLiteral("ALTER TABLE DocTable RENAME TO Other"));
        else if (damage == "page")
            writeFile(file, bytes.replace(bytes.size() / 2, 8192, QByteArray(8192, '\x5a')));
        else if (damage == "truncated")
            writeFile(file, bytes.left(bytes.size() / 2));
        else if (damage == "tail")
            writeFile(file, bytes.left(bytes.size() - 100));

        try {
            checkDatabaseFile(file, QStringLiteral("check the copy"));
            QFAIL("the damaged file was accepted");
        } catch (const StorageError &e) {
            QVERIFY2(e.detail().contains(reason), qPrintable(e.detail()));
            QCOMPARE(e.operation(), QStringLiteral("check the copy"));
        }
    }

    // Opening is quick and takes a file made by hand; a file that replaces
    // the database must be the program's own and whole. Neither check
    // leaves a journal, -wal or -shm file beside what it reads.
    void openingTakesWhatAReplacementRefuses()
    {
        ProgramFolder folder;
        const QString hand = folder.file(QStringLiteral("hand.mdb"));
        createDatabaseFile(hand, QStringLiteral("PRAGMA journal_mode = WAL;"
                                                "CREATE TABLE DirTable (DirNum, DirName, Attr, Parent, Child);"
                                                "CREATE TABLE DocTable (DocNum, DirNum, DocName, Text, ChgDate);"));
        QVERIFY(examineDatabaseFile(hand, CheckPurpose::Open).ok());
        const OpenResult replacing = examineDatabaseFile(hand, CheckPurpose::Replace);
        QCOMPARE(replacing.status, OpenStatus::ForeignFile);
        QCOMPARE(replacing.message, QStringLiteral("hand.mdb is not a Folio Keeper database"));

        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        QByteArray bytes = readAll(live);
        writeFile(live, bytes.replace(bytes.size() / 2, 8192, QByteArray(8192, '\x5a')));
        QVERIFY(examineDatabaseFile(live, CheckPurpose::Open).ok());
        QCOMPARE(examineDatabaseFile(live, CheckPurpose::Replace).status, OpenStatus::NotADatabase);
        QCOMPARE(filesIn(folder), QStringList({"KB97.MDB", "blank97.MDB", "hand.mdb"}));
    }

    void compactionShrinksTheFileAndKeepsItsRows()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"), 400);
        folder.exec(QStringLiteral("DELETE FROM DocTable WHERE DocNum > 40"));
        folder.exec(QStringLiteral("DELETE FROM DocHistory"));  // the deleted documents kept there
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QString lastKey = QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'DocTable'");
        QCOMPARE(scalarOf(live, lastKey).toInt(), 400);
        const qint64 before = QFileInfo(live).size();
        // A leftover of an interrupted run, with a journal of its own.
        writeFile(folder.file(QStringLiteral("~compressed.mdb")), "half-written leftover");
        writeFile(folder.file(QStringLiteral("~compressed.mdb-journal")), "stale");

        QList<int> progress;
        compactDatabase(folder.path(), [&](int percent) { progress << percent; });

        QVERIFY(QFileInfo(live).size() < before / 4);
        QCOMPARE(scalarOf(live, "SELECT count(*) FROM DocTable").toInt(), 40);
        QCOMPARE(scalarOf(live, lastKey).toInt(), 400);  // keys of deleted rows are never given again
        QCOMPARE(foldersOf(live), QStringLiteral("live"));
        QCOMPARE(scalarOf(live, "PRAGMA application_id").toInt(), 1179601995);
        QCOMPARE(filesIn(folder), QStringList({"KB97.MDB", "blank97.MDB"}));
        QCOMPARE(progress.last(), 100);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    }

    void replacementFlushesFileThenRenamesThenFlushesFolder()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QByteArray old = readAll(live);
        FlushRecorder recorder;
        QStringList seen;
        recorder.observe = [&](FlushKind kind, const QString &) {
            // At the file flush KB97.MDB is still the old file; at the folder
            // flush the new one has taken its place.
            seen << QStringLiteral("%1 old=%2 output=%3")
                        .arg(kind == FlushKind::FileData ? "file" : "folder")
                        .arg(readAll(live) == old)
                        .arg(QFile::exists(folder.file("~compressed.mdb")));
        };
        compactDatabase(folder.path());
        QCOMPARE(recorder.calls, QStringList({"file ~compressed.mdb", "folder " + QFileInfo(folder.path()).fileName()}));
        QCOMPARE(seen, QStringList({"file old=1 output=1", "folder old=0 output=0"}));

        recorder.calls.clear();
        rebuildDatabase(folder.path());
        QCOMPARE(recorder.calls, QStringList({"file ~KB97.MDB.partial", "folder " + QFileInfo(folder.path()).fileName()}));
    }

    void failedFlushLeavesEverythingAsItWas()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QByteArray old = readAll(live);
        backupDatabase(folder.path(), BackupPosition::A, FirstMoment);
        const QStringList files = filesIn(folder);

        FlushRecorder failing(failFileData);
        QVERIFY_THROWS_EXCEPTION(StorageError, compactDatabase(folder.path()));
        QVERIFY_THROWS_EXCEPTION(StorageError, rebuildDatabase(folder.path()));
        QVERIFY_THROWS_EXCEPTION(StorageError, restoreDatabase(folder.path(), BackupPosition::A));
        QVERIFY_THROWS_EXCEPTION(StorageError, backupDatabase(folder.path(), BackupPosition::A, SecondMoment));
        QCOMPARE(readAll(live), old);
        QCOMPARE(filesIn(folder), files);  // no temporary file left, the old backup kept
    }

    void rebuildCopiesTheTemplateAndKeepsIt()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString blank = folder.file(QStringLiteral("blank97.MDB"));
        const QByteArray templateBytes = readAll(blank);
        rebuildDatabase(folder.path());
        QCOMPARE(readAll(folder.file(QStringLiteral("KB97.MDB"))), templateBytes);
        QCOMPARE(readAll(blank), templateBytes);
        QCOMPARE(filesIn(folder), QStringList({"KB97.MDB", "blank97.MDB"}));
    }

    void rebuildWithoutUsableTemplateLosesNothing()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QByteArray old = readAll(live);
        QFile::remove(folder.file(QStringLiteral("blank97.MDB")));
        try {
            rebuildDatabase(folder.path());
            QFAIL("rebuilt without a template");
        } catch (const StorageError &e) {
            QCOMPARE(e.detail(), QStringLiteral("blank97.MDB is missing"));
        }
        writeFile(folder.file(QStringLiteral("blank97.MDB")), QByteArray(4096, '\0'));
        QVERIFY_THROWS_EXCEPTION(StorageError, rebuildDatabase(folder.path()));
        QCOMPARE(readAll(live), old);
        QCOMPARE(filesIn(folder), QStringList({"KB97.MDB", "blank97.MDB"}));
    }

    void backingUpTwiceKeepsOnlyTheSecondFile()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("first"));
        const QString first = backupDatabase(folder.path(), BackupPosition::B, FirstMoment);
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("BAKB2004=03=15 14-05-09.MDB"));
        QCOMPARE(foldersOf(first), QStringLiteral("first"));

        folder.exec(QStringLiteral("INSERT INTO DirTable (DirName) VALUES ('second')"));
        writeFile(folder.file(QStringLiteral("~BAKB.partial")), "leftover of a killed backup");
        const QString second = backupDatabase(folder.path(), BackupPosition::B, SecondMoment);
        QCOMPARE(backupFilesAt(folder.path(), BackupPosition::B), QStringList({"BAKB2005=02=01 09-05-03.MDB"}));
        QCOMPARE(foldersOf(second), QStringLiteral("first|second"));
        QCOMPARE(scalarOf(second, "SELECT count(*) FROM DocTable").toInt(), 50);
        checkDatabaseFile(second, QStringLiteral("check"));
        QCOMPARE(filesIn(folder).size(), 3);  // live, template, one backup
    }

    void backupThatRunsOutOfSpaceKeepsThePreviousOne()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("first"), 400);  // about 1.7 MB
        const QString first = backupDatabase(folder.path(), BackupPosition::C, FirstMoment);
        const QByteArray firstBytes = readAll(first);

        // A file size limit stands in for a full disk: writes past it fail.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 256 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        bool refused = false;
        QString detail;
        try {
            backupDatabase(folder.path(), BackupPosition::C, SecondMoment);
        } catch (const StorageError &e) {
            refused = true;
            detail = e.userText();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(refused);
        QVERIFY2(detail.startsWith("Could not back up the database to position C: "), qPrintable(detail));
        QCOMPARE(backupFilesAt(folder.path(), BackupPosition::C), QStringList({QFileInfo(first).fileName()}));
        QCOMPARE(readAll(first), firstBytes);
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("~BAKC.partial"))));
    }

    // A copy is checked before it takes the place of the previous backup or
    // of KB97.MDB: one that comes out damaged (the disk wrote garbage), or
    // different from its source while still a sound database, is refused,
    // and the file it was to replace stays as it was.
    void damagedCopyIsRefused_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QByteArray>("damage");
        QTest::newRow("backup, garbage page") << false << QByteArray();
        QTest::newRow("backup, changed text") << false << QByteArray("FIRST");
        QTest::newRow("restore, garbage page") << true << QByteArray();
        QTest::newRow("restore, changed text") << true << QByteArray("FIRST");
    }

    void damagedCopyIsRefused()
    {
        QFETCH(bool, restore);
        QFETCH(QByteArray, damage);
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("first"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QString first = backupDatabase(folder.path(), BackupPosition::A, FirstMoment);
        const QByteArray liveBytes = readAll(live);
        const QByteArray firstBytes = readAll(first);
        FlushRecorder recorder;
        recorder.observe = [&](FlushKind kind, const QString &path) {
            QFile copy(path);
            if (kind != FlushKind::FileData || !path.endsWith(QStringLiteral(".partial")) || !copy.open(QIODevice::ReadWrite))
                return;
            const qint64 at = damage.isEmpty() ? copy.size() / 2 : readAll(path).indexOf("first");
            QVERIFY(at > 0 && copy.seek(at));
            copy.write(damage.isEmpty() ? QByteArray(8192, '\x5a') : damage);
        };
        if (restore)
            QVERIFY_THROWS_EXCEPTION(StorageError, restoreDatabase(folder.path(), BackupPosition::A));
        else
            QVERIFY_THROWS_EXCEPTION(StorageError, backupDatabase(folder.path(), BackupPosition::A, SecondMoment));
        QCOMPARE(readAll(live), liveBytes);
        QCOMPARE(readAll(first), firstBytes);
        QCOMPARE(filesIn(folder), QStringList({QFileInfo(first).fileName(), "KB97.MDB", "blank97.MDB"}));
    }

    // The source is checked too: a backup of a damaged database, or a
    // restore from a damaged backup, is refused and replaces nothing.
    void damagedSourceIsRefused()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QString backup = backupDatabase(folder.path(), BackupPosition::A, FirstMoment);
        const QByteArray liveBytes = readAll(live);
        QByteArray damaged = liveBytes;
        writeFile(backup, damaged.replace(damaged.size() / 2, 8192, QByteArray(8192, '\x5a')));
        try {
            restoreDatabase(folder.path(), BackupPosition::A);
            QFAIL("restored from a damaged backup");
        } catch (const StorageError &e) {
            QVERIFY2(e.detail().startsWith(QFileInfo(backup).fileName() + " is damaged"), qPrintable(e.detail()));
        }
        QCOMPARE(readAll(live), liveBytes);

        writeFile(live, damaged);
        try {
            backupDatabase(folder.path(), BackupPosition::B, FirstMoment);
            QFAIL("backed up a damaged database");
        } catch (const StorageError &e) {
            QVERIFY2(e.detail().startsWith("KB97.MDB is damaged"), qPrintable(e.detail()));
        }
        QCOMPARE(filesIn(folder), QStringList({QFileInfo(backup).fileName(), "KB97.MDB", "blank97.MDB"}));
    }

    // A change cut short by a crash left its journal and half its pages in
    // KB97.MDB: the backup holds the database as it was before that change.
    void backupPlaysBackAnUnfinishedChange()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("before"), 200);
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QString crashed = folder.file(QStringLiteral("crashed"));
        QVERIFY(QDir().mkdir(crashed));
        {
            // A small page cache writes changed pages to the file before the
            // end of the transaction; copies taken then are what a crash leaves.
            SqliteFile db(live, SqliteFile::Access::ReadWrite, QStringLiteral("change"));
            db.runScript(QStringLiteral("PRAGMA cache_size = 10; BEGIN; UPDATE DirTable SET DirName = 'after';"
                                        "UPDATE DocTable SET Text = lower(Text);"));
            QVERIFY(QFile::exists(live + "-journal"));
            for (const char *name : {"KB97.MDB", "KB97.MDB-journal"})
                QVERIFY(QFile::copy(folder.file(name), crashed + "/" + name));
        }
        const QString backup = backupDatabase(crashed, BackupPosition::A, FirstMoment);
        QCOMPARE(foldersOf(backup), QStringLiteral("before"));
        QVERIFY(!QFile::exists(crashed + "/KB97.MDB-journal"));
    }

    void restorePutsTheBackupInPlaceAndKeepsIt()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("backed up"));
        const QString backup = backupDatabase(folder.path(), BackupPosition::D, FirstMoment);
        folder.exec(QStringLiteral("UPDATE DirTable SET DirName = 'changed since'"));
        QList<int> progress;
        restoreDatabase(folder.path(), BackupPosition::D, [&](int percent) { progress << percent; });
        QCOMPARE(foldersOf(folder.file(QStringLiteral("KB97.MDB"))), QStringLiteral("backed up"));
        QCOMPARE(readAll(folder.file(QStringLiteral("KB97.MDB"))), readAll(backup));
        QVERIFY(QFile::exists(backup));
        QCOMPARE(progress.last(), 100);
        QCOMPARE(filesIn(folder).size(), 3);
    }

    void restoreRefusals()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        const QByteArray old = readAll(live);

        // An empty position.
        try {
            restoreDatabase(folder.path(), BackupPosition::A);
            QFAIL("restored from an empty position");
        } catch (const StorageError &e) {
            QCOMPARE(e.userText(), QStringLiteral("Could not restore the database from position A: "
                                                  "position A holds no backup"));
        }

        // An unfinished change of the live database.
        const QString backup = backupDatabase(folder.path(), BackupPosition::A, FirstMoment);
        writeFile(live + "-journal", "an unfinished change");
        try {
            restoreDatabase(folder.path(), BackupPosition::A);
            QFAIL("restored over a journal");
        } catch (const StorageError &e) {
            QVERIFY2(e.detail().startsWith("KB97.MDB-journal exists"), qPrintable(e.detail()));
        }
        QVERIFY(QFile::remove(live + "-journal"));

        // A damaged backup, and one of another program.
        QByteArray bytes = readAll(backup);
        writeFile(backup, bytes.left(bytes.size() - 3000));
        QVERIFY_THROWS_EXCEPTION(StorageError, restoreDatabase(folder.path(), BackupPosition::A));
        createDatabaseFileForTest(backup);
        QVERIFY_THROWS_EXCEPTION(StorageError, restoreDatabase(folder.path(), BackupPosition::A));

        QCOMPARE(readAll(live), old);
        QCOMPARE(filesIn(folder), QStringList({QFileInfo(backup).fileName(), "KB97.MDB", "blank97.MDB"}));
    }

    void operationsRunOnAWorkerThread()
    {
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"), 300);
        std::atomic<bool> progressOnWorker = true;
        const auto mainThread = std::this_thread::get_id();
        auto progress = [&](int) {
            if (std::this_thread::get_id() == mainThread)
                progressOnWorker = false;
        };
        QString failure;
        std::thread worker([&] {
            try {
                compactDatabase(folder.path(), progress);
                backupDatabase(folder.path(), BackupPosition::A, FirstMoment, progress);
                restoreDatabase(folder.path(), BackupPosition::A, progress);
                rebuildDatabase(folder.path());
            } catch (const StorageError &e) {
                failure = e.userText();
            }
        });
        worker.join();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(progressOnWorker);
        QCOMPARE(scalarOf(folder.file("KB97.MDB"), "SELECT count(*) FROM DocTable").toInt(), 0);
    }

    void replacedDatabaseKeepsItsPermissions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("private") << 0600;
        QTest::newRow("group may read") << 0640;
    }

    // A user who made KB97.MDB private keeps it so through every operation
    // that puts a new file in its place; a new backup file is made the
    // ordinary way.
    void replacedDatabaseKeepsItsPermissions()
    {
        QFETCH(int, mode);
        const mode_t savedMask = ::umask(022);
        const auto restoreMask = qScopeGuard([savedMask] { ::umask(savedMask); });
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QString live = folder.file(QStringLiteral("KB97.MDB"));
        QCOMPARE(::chmod(QFile::encodeName(live).constData(), mode_t(mode)), 0);
        // Only the superuser may give the file away; it then stays with its owner.
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(live).constData(), 4321, 8765), 0);
        const auto ownership = [&] {
            const struct stat status = statusOf(live);
            return QStringLiteral("mode %1 owner %2 group %3")
                .arg(status.st_mode & 07777, 0, 8)
                .arg(status.st_uid)
                .arg(status.st_gid);
        };
        const QString before = ownership();
        QVERIFY(before.startsWith(QStringLiteral("mode %1 ").arg(mode, 0, 8)));

        const QString backup = backupDatabase(folder.path(), BackupPosition::A, FirstMoment);
        QCOMPARE(permissionsOf(backup), mode_t(0644));
        compactDatabase(folder.path());
        QCOMPARE(ownership(), before);
        restoreDatabase(folder.path(), BackupPosition::A);
        QCOMPARE(ownership(), before);
        rebuildDatabase(folder.path());
        QCOMPARE(ownership(), before);
        QCOMPARE(filesIn(folder).size(), 3);
    }

    // A connection that cannot be opened is released all the same: a
    // program that retries must not leak memory with every attempt.
    void failedOpensLeakNothing()
    {
        ProgramFolder folder;
        const QString missing = folder.file(QStringLiteral("missing.MDB"));
        const QString directory = folder.file(QStringLiteral("directory.MDB"));
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("directory.MDB")));
        const auto open = [](const QString &path, SqliteFile::Access access) {
            try {
                SqliteFile db(path, access, QStringLiteral("open"));
                return true;
            } catch (const StorageError &) {
                return false;
            }
        };
        QVERIFY(!open(missing, SqliteFile::Access::ReadOnly));  // first use sets up the engine
        const sqlite3_int64 before = sqlite3_memory_used();
        for (int i = 0; i < 1000; ++i) {
            QVERIFY(!open(missing, SqliteFile::Access::ReadOnly));
            QVERIFY(!open(directory, SqliteFile::Access::ReadWrite));
        }
        const sqlite3_int64 grown = sqlite3_memory_used() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("%1 bytes still held").arg(grown)));
        QVERIFY(!QFile::exists(missing));
    }

    void readOnlyFolderIsReported()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        ProgramFolder folder;
        fillDatabase(folder, QStringLiteral("live"));
        const QByteArray old = readAll(folder.file(QStringLiteral("KB97.MDB")));
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(StorageError, compactDatabase(folder.path()));
        QVERIFY_THROWS_EXCEPTION(StorageError, rebuildDatabase(folder.path()));
        QVERIFY_THROWS_EXCEPTION(StorageError, backupDatabase(folder.path(), BackupPosition::A, FirstMoment));
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(readAll(folder.file(QStringLiteral("KB97.MDB"))), old);
        QCOMPARE(filesIn(folder).size(), 2);
    }

private:
    // A valid SQLite file with our tables but another program's id.
    static void createDatabaseFileForTest(const QString &path)
    {
        QFile::remove(path);
        createDatabaseFile(path, QStringLiteral("PRAGMA application_id = 7;"
                                                "CREATE TABLE DirTable (DirNum, DirName, Attr, Parent, Child);"
                                                "CREATE TABLE DocTable (DocNum, DirNum, DocName, Text, ChgDate);"));
    }
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "test_maintenance.moc"
