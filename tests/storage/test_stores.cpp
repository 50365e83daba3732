// Folder and document operations on a real database file: ordering, texts
// that would break a joined statement, 64-bit keys, refusals and failures.

#include "storage/database.h"
#include "storage/documentstore.h"
#include "storage/folderrows.h"
#include "storage/folderstore.h"
#include "storage/nameorder.h"
#include "storage/rawstatement.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <sqlite3.h>
#include <thread>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

// An authorizer that makes every SAVEPOINT statement fail to compile while
// BEGIN, COMMIT and ROLLBACK still work.
int refuseSavepoints(void *, int action, const char *, const char *, const char *, const char *)
{
    return action == SQLITE_SAVEPOINT ? SQLITE_DENY : SQLITE_OK;
}

} // namespace

class TestStores : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    Database *m_db = nullptr;

    QStringList names(const QList<Folder> &folders)
    {
        QStringList result;
        for (const Folder &f : folders)
            result << f.name;
        return result;
    }

    QString plan(const QString &sql)
    {
        QSqlQuery q(m_db->connection());
        q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        QStringList steps;
        while (q.next())
            steps << q.value(3).toString();
        return steps.join(QLatin1Char('|'));
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_db = new Database(m_folder->path());
        QVERIFY(m_db->open().ok());
    }

    void cleanup()
    {
        delete m_db;
        delete m_folder;
    }

    void foldersInNameOrder()
    {
        FolderStore folders(*m_db);
        const DirNum b = folders.addFolder(QStringLiteral("b"), 0);
        folders.addFolder(QStringLiteral("a"), 0);
        folders.addFolder(QStringLiteral("Zeta"), 0);
        folders.addFolder(QStringLiteral("épée"), 0);
        folders.addFolder(QStringLiteral("Echo"), 0);
        folders.addFolder(QStringLiteral("child 2"), b);
        folders.addFolder(QStringLiteral("Child 1"), b);
        QCOMPARE(names(folders.allFolders()),
                 QStringList({"a", "b", "Child 1", "child 2", "Echo", "épée", "Zeta"}));
        QVERIFY(compareNames(u"apple", u"Banana") < 0);
        QVERIFY(compareNames(u"APPLE", u"apple") == 0);
    }

    void folderLifecycle()
    {
        FolderStore folders(*m_db);
        DocumentStore documents(*m_db);
        const QString tricky = QStringLiteral("O'Brien's \"notes\"; DROP TABLE DirTable; -- <b>");
        const DirNum top = folders.addFolder(tricky, 0);
        const DirNum sub = folders.addFolder(QStringLiteral("Sub"), top);
        QVERIFY(top > 0 && sub > top);

        std::optional<Folder> f = folders.folder(sub);
        QVERIFY(f);
        QCOMPARE(f->kind, FolderKind::Sub);
        QCOMPARE(f->parent, top);
        QCOMPARE(folders.folder(top)->name, tricky);
        QSqlQuery q(m_db->connection());
        q.exec(QStringLiteral("SELECT count(*) FROM DirTable WHERE Child <> 0"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);  // no row keeps the insert marker

        QVERIFY(folders.renameFolder(sub, QStringLiteral("Renamed ünïcode 日本")));
        QCOMPARE(folders.folder(sub)->name, QStringLiteral("Renamed ünïcode 日本"));
        QVERIFY(!folders.renameFolder(9999, QStringLiteral("x")));

        // Not empty: a sub-folder, then a document.
        QVERIFY(folders.hasContents(top));
        QVERIFY(!folders.deleteEmptyFolder(top));
        const DocNum doc = documents.addDocument(sub, QStringLiteral("t"), QStringLiteral("<p>x</p>"), QString());
        QVERIFY(!folders.deleteEmptyFolder(sub));
        QVERIFY(folders.folder(sub));
        QVERIFY(documents.deleteDocument(doc));
        QVERIFY(folders.deleteEmptyFolder(sub));
        QVERIFY(folders.deleteEmptyFolder(top));
        QVERIFY(folders.allFolders().isEmpty());
    }

    // The key comes from the row the insert made, not from a marker that an
    // interrupted earlier run may have left set on another row.
    void newFolderKeyIgnoresStaleMarker()
    {
        m_folder->exec(QStringLiteral(
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent, Child) VALUES (7, 'left over', 'R', 0, 1)"));
        FolderStore folders(*m_db);
        const DirNum num = folders.addFolder(QStringLiteral("New Folder"), 7);
        QVERIFY(num > 7);
        QCOMPARE(folders.folder(num)->name, QStringLiteral("New Folder"));
        QCOMPARE(folders.folder(num)->parent, DirNum(7));
        QCOMPARE(folders.folder(7)->name, QStringLiteral("left over"));
        folders.clearNewRowMarkers();
        QSqlQuery q(m_db->connection());
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM DirTable WHERE Child = 1")) && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
        // A parent that is gone would leave the new folder out of reach.
        QVERIFY_THROWS_EXCEPTION(StorageError, folders.addFolder(QStringLiteral("x"), 9999));
        QCOMPARE(folders.allFolders().size(), 2);
    }

    void movingSeveralDocuments()
    {
        FolderStore folders(*m_db);
        DocumentStore documents(*m_db);
        const DirNum from = folders.addFolder(QStringLiteral("from"), 0);
        const DirNum to = folders.addFolder(QStringLiteral("to"), 0);
        QList<DocNum> docs;
        for (int i = 0; i < 3; ++i)
            docs << documents.addDocument(from, QStringLiteral("d%1").arg(i), QString(), QString());
        // Into a folder that does not exist: nothing moves.
        QVERIFY_THROWS_EXCEPTION(StorageError, documents.moveDocuments(docs, 9999));
        QCOMPARE(documents.listDocuments(from).size(), 3);
        // A document deleted meanwhile is skipped; the others move.
        QVERIFY(documents.deleteDocument(docs.at(1)));
        QCOMPARE(documents.moveDocuments(docs, to), 2);
        QVERIFY(documents.listDocuments(from).isEmpty());
        QCOMPARE(documents.listDocuments(to).size(), 2);
    }

    // Another writer on the file (the search indexer in the background)
    // holding the write lock for a moment: a change that reads before it
    // writes waits for it instead of failing with "database is locked".
    void changesWaitForAnotherWriter()
    {
        FolderStore folders(*m_db);
        DocumentStore documents(*m_db);
        const DirNum from = folders.addFolder(QStringLiteral("from"), 0);
        const DirNum to = folders.addFolder(QStringLiteral("to"), 0);
        const DocNum doc = documents.addDocument(from, QStringLiteral("d"), QString(), QString());

        // 1 once the lock is held, 2 when it could not be taken.
        const auto holdWriteLock = [&](std::atomic<int> &held) {
            return std::thread([&held, path = m_db->filePath().toStdString()] {
                sqlite3 *other = nullptr;
                sqlite3_open_v2(path.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr);
                const int rc = sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
                held = (rc == SQLITE_OK) ? 1 : 2;
                held.notify_all();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
                sqlite3_close(other);
            });
        };
        const std::function<int()> changes[] = {[&] { return documents.moveDocuments({doc}, to); },
                                                 [&] { return documents.deleteDocuments({doc}); }};
        for (const auto &change : changes) {
            std::atomic<int> held = 0;
            std::thread writer = holdWriteLock(held);
            held.wait(0);
            QCOMPARE(held.load(), 1);
            int changed = 0;
            QString failure;
            try {
                changed = change();
            } catch (const StorageError &e) {
                failure = e.userText();
            }
            writer.join();
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            QCOMPARE(changed, 1);
        }
        QVERIFY(documents.listDocuments(to).isEmpty());
    }

    // A change that began its transaction but could not set its savepoint
    // must not leave the transaction open: its write lock would shut every
    // other writer out until the program ends.
    void changeThatCannotStartReleasesTheWriteLock()
    {
        FolderStore folders(*m_db);
        DocumentStore documents(*m_db);
        const DirNum folder = folders.addFolder(QStringLiteral("f"), 0);
        sqlite3 *handle = sqliteHandle(m_db->connection());
        QVERIFY(handle);
        sqlite3_set_authorizer(handle, refuseSavepoints, nullptr);
        QVERIFY_THROWS_EXCEPTION(StorageError,
                                 documents.addDocument(folder, QStringLiteral("t"), QString(), QString()));
        sqlite3_set_authorizer(handle, nullptr, nullptr);
        QVERIFY(sqlite3_get_autocommit(handle));

        // Another connection (without a busy timeout) can write at once.
        sqlite3 *other = nullptr;
        const QByteArray path = QFile::encodeName(m_db->filePath());
        QCOMPARE(sqlite3_open_v2(path.constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        const int rc =
            sqlite3_exec(other, "INSERT INTO DirTable (DirName) VALUES ('other')", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(rc, SQLITE_OK);
        QVERIFY(documents.listDocuments(folder).isEmpty());
        QVERIFY(documents.addDocument(folder, QStringLiteral("t"), QString(), QString()) > 0);
    }

    void movingFolders()
    {
        FolderStore folders(*m_db);
        const DirNum a = folders.addFolder(QStringLiteral("A"), 0);
        const DirNum b = folders.addFolder(QStringLiteral("B"), a);
        const DirNum c = folders.addFolder(QStringLiteral("C"), b);
        const DirNum d = folders.addFolder(QStringLiteral("D"), 0);

        folders.moveFolder(b, 0);
        QCOMPARE(folders.folder(b)->kind, FolderKind::Root);
        QCOMPARE(folders.folder(b)->parent, DirNum(0));
        folders.moveFolder(b, d);
        QCOMPARE(folders.folder(b)->kind, FolderKind::Sub);
        QCOMPARE(folders.folder(b)->parent, d);

        // Into itself or below itself would cut the branch off the tree.
        QVERIFY_THROWS_EXCEPTION(StorageError, folders.moveFolder(b, b));
        QVERIFY_THROWS_EXCEPTION(StorageError, folders.moveFolder(b, c));
        QCOMPARE(folders.folder(b)->parent, d);
        QVERIFY_THROWS_EXCEPTION(StorageError, folders.moveFolder(9999, a));
        QVERIFY_THROWS_EXCEPTION(StorageError, folders.moveFolder(c, 9999));
    }

    void documentLifecycle()
    {
        FolderStore folders(*m_db);
        DocumentStore documents(*m_db);
        const DirNum one = folders.addFolder(QStringLiteral("one"), 0);
        const DirNum two = folders.addFolder(QStringLiteral("two"), 0);
        const QString title = QStringLiteral("It's a \"quote\" <tag> & Ωμέγα 中文");
        const QString html = QStringLiteral("<p>'; DELETE FROM DocTable; --</p>") + QString(100000, QLatin1Char('x'));
        const DocNum n = documents.addDocument(one, title, html, QStringLiteral("12-05-2026 13:45:10"));
        documents.addDocument(one, QStringLiteral("alpha"), QStringLiteral("<p/>"), QStringLiteral("01-01-2020 00:00:00"));
        documents.addDocument(one, QStringLiteral("Beta"), QStringLiteral("<p/>"), QStringLiteral("01-01-2020 00:00:00"));

        std::optional<Document> d = documents.readDocument(n);
        QVERIFY(d);
        QCOMPARE(d->title, title);
        QCOMPARE(d->html, html);
        QCOMPARE(d->dirNum, one);
        QCOMPARE(d->changed, QStringLiteral("12-05-2026 13:45:10"));

        const QList<DocumentSummary> list = documents.listDocuments(one);
        QCOMPARE(list.size(), 3);
        QCOMPARE(list.at(0).title, QStringLiteral("alpha"));
        QCOMPARE(list.at(1).title, QStringLiteral("Beta"));
        QVERIFY(documents.listDocuments(two).isEmpty());

        documents.updateDocument(n, QString(), QStringLiteral("<p>new</p>"), QStringLiteral("12-06-2026 08:00:00"));
        d = documents.readDocument(n);
        QCOMPARE(d->title, QString());
        QCOMPARE(d->html, QStringLiteral("<p>new</p>"));
        QCOMPARE(d->dirNum, one);  // a save keeps the folder

        QCOMPARE(documents.moveDocuments({n}, two), 1);
        QCOMPARE(documents.listDocuments(two).size(), 1);
        QVERIFY(documents.deleteDocument(n));
        QVERIFY(!documents.readDocument(n));
        QVERIFY(!documents.deleteDocument(n));
        // Saving a document that was deleted meanwhile is a failure, not a silent no-op.
        QVERIFY_THROWS_EXCEPTION(StorageError, documents.updateDocument(n, QStringLiteral("t"), QString(), QString()));
    }

    // A batch is deleted whole or not at all.
    void deletingSeveralDocuments()
    {
        DocumentStore documents(*m_db);
        QList<DocNum> nums;
        for (const char *title : {"a", "b", "c", "d"})
            nums << documents.addDocument(1, QString::fromLatin1(title), QString(), QString());
        QCOMPARE(documents.deleteDocuments({nums[0], nums[2], 999}), 2);  // a number without a row is passed over
        QCOMPARE(documents.listDocuments(1).size(), 2);

        QSqlQuery q(m_db->connection());
        QVERIFY(q.exec(QStringLiteral("CREATE TEMP TRIGGER keep BEFORE DELETE ON DocTable WHEN old.DocNum = %1 "
                                      "BEGIN SELECT RAISE(ABORT, 'kept'); END")
                           .arg(nums[3])));
        QVERIFY_THROWS_EXCEPTION(StorageError, documents.deleteDocuments({nums[1], nums[3]}));
        QCOMPARE(documents.listDocuments(1).size(), 2);  // b was deleted first, and is back
        QVERIFY(documents.readDocument(nums[1]));
    }

    void keysBeyondSixteenBits()
    {
        m_folder->execAll({QStringLiteral("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (40000, 'big', 'R', 0)"),
                           QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) "
                                          "VALUES (5000000000, 40000, 'huge', '<p>h</p>', '')")});
        FolderStore folders(*m_db);
        DocumentStore documents(*m_db);
        const FolderRows rows = FolderRows::read(*m_db);
        QCOMPARE(rows.num(rows.find(40000)), DirNum(40000));
        QCOMPARE(documents.listDocuments(40000).first().num, DocNum(5000000000));
        const DocNum next = documents.addDocument(40000, QStringLiteral("next"), QString(), QString());
        QCOMPARE(next, DocNum(5000000001));
        const DirNum nextDir = folders.addFolder(QStringLiteral("sub"), 40000);
        QCOMPARE(nextDir, DirNum(40001));
    }

    void listingNeverReadsBodies()
    {
        const QString p = plan(QStringLiteral("SELECT DocNum, DocName, ChgDate FROM DocTable WHERE DirNum = 1 "
                                              "ORDER BY DocName COLLATE NAMEORDER, DocNum"));
        QVERIFY2(p.contains(QStringLiteral("COVERING INDEX DocTable_Folder")), qPrintable(p));
    }

    void changeDateFormat()
    {
        const QDateTime moment(QDate(2026, 12, 5), QTime(9, 7, 45));
        QCOMPARE(formatChangeDate(moment), QStringLiteral("12-05-2026 09:07:45"));
        QCOMPARE(changeDateSortKey(formatChangeDate(moment)), Q_INT64_C(20261205090745));
        // Sort keys follow time, not text: December 2025 before January 2026.
        QVERIFY(changeDateSortKey(u"12-31-2025 23:59:59") < changeDateSortKey(u"01-01-2026 00:00:00"));
        QVERIFY(changeDateSortKey(u"01-01-2026 00:00:00") < changeDateSortKey(u"01-01-2026 00:00:01"));
        for (const char16_t *bad : {u"2026-12-05 09:07:45", u"12/05/2026 09:07:45", u""})
            QCOMPARE(changeDateSortKey(bad), -1);
    }

    void failuresNameTheOperation()
    {
        DocumentStore documents(*m_db);
        m_db->close();
        try {
            documents.listDocuments(1);
            QFAIL("reading from a closed database succeeded");
        } catch (const StorageError &e) {
            QVERIFY(e.userText().startsWith(QStringLiteral("Could not read the documents of the folder")));
        }
    }
};

QTEST_GUILESS_MAIN(TestStores)
#include "test_stores.moc"
