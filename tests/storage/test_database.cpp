// Opening the knowledge base: creation from the template, refusal of files
// that are not ours, the connection settings, and safe file replacement.

#include "storage/atomicfile.h"
#include "storage/database.h"
#include "storage/schema.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <unistd.h>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

QVariant scalar(Database &db, const QString &sql)
{
    QSqlQuery q(db.connection());
    if (!q.exec(sql) || !q.next())
        return {};
    return q.value(0);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createsLiveFileFromTemplate()
    {
        ProgramFolder folder;
        QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), folder.file(TemplateDatabaseName));
        Database db(folder.path());
        const OpenResult result = db.open();
        QVERIFY2(result.ok(), qPrintable(result.message));
        QVERIFY(QFile::exists(folder.file(LiveDatabaseName)));
        QVERIFY(db.isWritable());
        QCOMPARE(scalar(db, "PRAGMA journal_mode").toString(), QStringLiteral("delete"));
        QCOMPARE(scalar(db, "PRAGMA synchronous").toInt(), 2);  // FULL
        QCOMPARE(scalar(db, "SELECT count(*) FROM DirTable").toInt(), 0);
        // No temporary file is left behind by the copy.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    }

    void bothFilesMissingCreatesNothing()
    {
        ProgramFolder folder;
        Database db(folder.path());
        const OpenResult result = db.open();
        QCOMPARE(result.status, OpenStatus::Missing);
        QCOMPARE(result.message, QStringLiteral("Database problem, please reinstall Folio Keeper software."));
        QVERIFY(!db.isOpen());
        QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    void refusesFilesThatAreNotOurs_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("text file") << QByteArray("These are my notes, not a database.\n") << QString()
                                   << int(OpenStatus::NotADatabase) << "damaged";
        QTest::newRow("damaged header") << QByteArray("SQLite format 3\0garbage garbage garbage", 40) << QString()
                                        << int(OpenStatus::NotADatabase) << "damaged";
        QTest::newRow("other program") << QByteArray() << "PRAGMA application_id = 12345; CREATE TABLE t (x);"
                                       << int(OpenStatus::ForeignFile) << "another program";
        QTest::newRow("no tables") << QByteArray() << "CREATE TABLE Notes (x);" << int(OpenStatus::MissingTables)
                                   << "DirTable";
        QTest::newRow("missing column")
            << QByteArray()
            << "CREATE TABLE DirTable (DirNum INTEGER PRIMARY KEY, DirName, Attr, Parent, Child);"
               "CREATE TABLE DocTable (DocNum INTEGER PRIMARY KEY, DirNum, DocName, ChgDate);"
            << int(OpenStatus::MissingTables) << "DocTable";
        QTest::newRow("newer version") << QByteArray()
                                       << "PRAGMA application_id = 1179601995; PRAGMA user_version = 99;"
                                          "CREATE TABLE DirTable (DirNum INTEGER PRIMARY KEY, DirName, Attr, Parent, Child);"
                                          "CREATE TABLE DocTable (DocNum INTEGER PRIMARY KEY, DirNum, DocName, Text, ChgDate);"
                                       << int(OpenStatus::TooNew) << "newer version";
        // A file in WAL mode would be switched to another journal mode by
        // the first statement that sets one: the refusal comes before it.
        QTest::newRow("other program, WAL") << QByteArray()
                                            << "PRAGMA journal_mode = WAL; PRAGMA application_id = 12345; "
                                               "CREATE TABLE t (x);"
                                            << int(OpenStatus::ForeignFile) << "left unchanged";
        QTest::newRow("newer version, WAL")
            << QByteArray()
            << "PRAGMA journal_mode = WAL; PRAGMA application_id = 1179601995; PRAGMA user_version = 7;"
               "CREATE TABLE DirTable (DirNum INTEGER PRIMARY KEY, DirName, Attr, Parent, Child);"
               "CREATE TABLE DocTable (DocNum INTEGER PRIMARY KEY, DirNum, DocName, Text, ChgDate);"
            << int(OpenStatus::TooNew) << "newer version";
    }

    void refusesFilesThatAreNotOurs()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, sql);
        QFETCH(int, status);
        QFETCH(QString, mentions);
        ProgramFolder folder;
        const QString live = folder.file(LiveDatabaseName);
        if (sql.isEmpty())
            writeFile(live, content);
        else
            createDatabaseFile(live, sql);
        const QByteArray before = readAll(live);

        Database db(folder.path());
        const OpenResult result = db.open();
        QCOMPARE(int(result.status), status);
        QVERIFY2(result.message.contains(live), qPrintable(result.message));
        QVERIFY2(result.message.contains(mentions), qPrintable(result.message));
        QVERIFY(!db.isOpen());
        QCOMPARE(readAll(live), before);  // left exactly as it was
        // ... and nothing was made beside it (journal, -wal, -shm).
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{LiveDatabaseName});
    }

    void damagedTemplateLeavesNoLiveFile()
    {
        ProgramFolder folder;
        writeFile(folder.file(TemplateDatabaseName), QByteArray(4096, 'x'));
        Database db(folder.path());
        const OpenResult result = db.open();
        QCOMPARE(result.status, OpenStatus::NotADatabase);
        QVERIFY2(result.message.contains(TemplateDatabaseName), qPrintable(result.message));
        QVERIFY(!QFile::exists(folder.file(LiveDatabaseName)));
        // The next start with a good template works.
        QFile::remove(folder.file(TemplateDatabaseName));
        QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), folder.file(TemplateDatabaseName));
        QVERIFY(db.open().ok());
    }

    void unstampedFileWithOurTablesIsUpgraded()
    {
        ProgramFolder folder;
        QFile schemaFile(QStringLiteral(FOLIO_SCHEMA_PATH));
        QVERIFY(schemaFile.open(QIODevice::ReadOnly));
        QString schema = QString::fromUtf8(schemaFile.readAll());
        schema.remove(QRegularExpression(QStringLiteral("PRAGMA[^;]*;")));
        schema.remove(QRegularExpression(QStringLiteral("CREATE INDEX[^;]*;")));
        createDatabaseFile(folder.file(LiveDatabaseName), schema);

        Database db(folder.path());
        QVERIFY(db.open().ok());
        QCOMPARE(scalar(db, "PRAGMA application_id").toLongLong(), qint64(FolioApplicationId));
        QCOMPARE(scalar(db, "PRAGMA user_version").toInt(), FolioSchemaVersion);
        QCOMPARE(scalar(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'DocTable_%'")
                     .toInt(),
                 1);
    }

    void readOnlyFolderIsReported()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        ProgramFolder folder;
        folder.createDatabase();
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        Database db(folder.path());
        QVERIFY(db.open().ok());
        QVERIFY(!db.isWritable());
        db.close();
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void closeIgnoresRepeatsAndReopens()
    {
        ProgramFolder folder;
        folder.createDatabase();
        Database db(folder.path());
        db.close();  // never opened
        QVERIFY(db.open().ok());
        db.close();
        db.close();
        QVERIFY(!db.isOpen());
        QVERIFY(db.open().ok());
        QVERIFY(db.isOpen());
    }

    void atomicCopyLeavesTargetOnFailure()
    {
        ProgramFolder folder;
        const QString target = folder.file(QStringLiteral("target.MDB"));
        writeFile(target, "original");
        QVERIFY_THROWS_EXCEPTION(StorageError,
                                 copyFileAtomically(folder.file(QStringLiteral("absent.MDB")), target,
                                                    QStringLiteral("copy")));
        QCOMPARE(readAll(target), QByteArray("original"));

        writeFile(folder.file(QStringLiteral("source.MDB")), QByteArray(3 << 20, 'x'));
        copyFileAtomically(folder.file(QStringLiteral("source.MDB")), target, QStringLiteral("copy"));
        QCOMPARE(readAll(target), QByteArray(3 << 20, 'x'));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);  // no partial file left
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
