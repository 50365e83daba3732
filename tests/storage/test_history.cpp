// The document history on real files: what the triggers keep (for the
// program's changes and for another tool's), restoring versions and deleted
// documents, thinning, the schema at open, and whole-file maintenance.

#include "storage/database.h"
#include "storage/documentsearch.h"
#include "storage/documentstore.h"
#include "storage/filemaintenance.h"
#include "storage/folderstore.h"
#include "storage/historystore.h"
#include "storage/savepoint.h"
#include "storage/schema.h"
#include "storage/statement.h"
#include "storage/transaction.h"
#include "support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <QTimeZone>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

const QDateTime Now(QDate(2027, 6, 15), QTime(12, 0), QTimeZone::utc());
const QString Changed = QStringLiteral("06-15-2027 14:00:00");

// KeptAt `days` before Now, at `time` of that day.
QString ago(int days, const QString &time = QStringLiteral("12:00:00"))
{
    return Now.addDays(-days).toString(QStringLiteral("yyyy-MM-dd ")) + time;
}

QStringList titles(const QList<DocumentVersion> &versions)
{
    QStringList result;
    for (const DocumentVersion &v : versions)
        result << v.title;
    return result;
}

QStringList historyObjects(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT type || ' ' || name || ': ' || sql FROM sqlite_master "
                          "WHERE name LIKE 'DocHistory%' OR name LIKE 'DocTable_History%' ORDER BY name"));
    QStringList objects;
    while (q.next())
        objects << q.value(0).toString();
    return objects;
}

QStringList templateHistoryObjects()
{
    QStringList objects;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("template"));
        db.setDatabaseName(QStringLiteral(FOLIO_TEMPLATE_PATH));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open())
            objects = historyObjects(db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("template"));
    return objects;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    Database *m_db = nullptr;
    DirNum m_dir = 0;

    QVariant scalar(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery q = runStatement(m_db->connection(), sql, values, QStringLiteral("test"));
        return q.next() ? q.value(0) : QVariant();
    }
    void exec(const QString &sql, const QVariantList &values = {})
    {
        runStatement(m_db->connection(), sql, values, QStringLiteral("test"));
    }
    // A version written directly, as another tool or an older run would.
    void keep(DocNum doc, const QString &keptAt, const QString &reason = QStringLiteral("save"),
              const QString &text = QStringLiteral("<p>kept</p>"))
    {
        exec(QStringLiteral("INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, KeptAt, Reason) "
                            "VALUES (?, ?, ?, ?, ?, ?)"),
             {doc, m_dir, keptAt, text, keptAt, reason});
    }
    QStringList keptAtOf(DocNum doc)
    {
        QSqlQuery q = runStatement(m_db->connection(),
                                   QStringLiteral("SELECT KeptAt FROM DocHistory WHERE DocNum = ? ORDER BY KeptAt"),
                                   {doc}, QStringLiteral("test"));
        QStringList result;
        while (q.next())
            result << q.value(0).toString();
        return result;
    }
    QList<DocNum> found(const QString &word)
    {
        QList<DocNum> numbers;
        for (const FoundDocument &f : DocumentSearch(*m_db).findDocuments(SearchRequest{word, {}, {}}))
            numbers << f.num;
        return numbers;
    }
    // Runs `step` until the engine's clock stays within one second during
    // it, so that offsets from datetime('now') mean exactly what they say.
    template<typename Step>
    bool withinOneSecond(Step step)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const QVariant before = scalar(QStringLiteral("SELECT datetime('now')"));
            step();
            if (scalar(QStringLiteral("SELECT datetime('now')")) == before)
                return true;
        }
        return false;
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_db = new Database(m_folder->path());
        QVERIFY(m_db->open().ok());
        m_dir = FolderStore(*m_db).addFolder(QStringLiteral("Notes"), 0);
    }

    void cleanup()
    {
        delete m_db;
        delete m_folder;
    }

    // A save keeps the row it replaces unless a version of the document was
    // kept in the ten minutes up to now.
    void tenMinuteRule_data()
    {
        QTest::addColumn<QString>("earlier");  // KeptAt of an earlier version, from now; empty: none
        QTest::addColumn<bool>("kept");
        QTest::newRow("no earlier version") << QString() << true;
        QTest::newRow("kept exactly 10:00 ago") << "-600 seconds" << true;
        QTest::newRow("kept 9:59 ago") << "-599 seconds" << false;
        QTest::newRow("kept this second") << "+0 seconds" << false;
        QTest::newRow("stamped an hour ahead (clock turned back)") << "+1 hour" << true;
    }
    void tenMinuteRule()
    {
        QFETCH(QString, earlier);
        QFETCH(bool, kept);
        DocumentStore docs(*m_db);
        QList<DocumentVersion> versions;
        QVERIFY(withinOneSecond([&] {
            const DocNum doc = docs.addDocument(m_dir, QStringLiteral("Before"), QStringLiteral("<p>before</p>"),
                                                QStringLiteral("01-02-2027 10:00:00"));
            if (!earlier.isEmpty())
                exec(QStringLiteral("INSERT INTO DocHistory (DocNum, DirNum, DocName, KeptAt) "
                                    "VALUES (?, ?, 'Earlier', datetime('now', ?))"),
                     {doc, m_dir, earlier});
            docs.updateDocument(doc, QStringLiteral("After"), QStringLiteral("<p>after</p>"), Changed);
            versions = HistoryStore(*m_db).versionsOf(doc);
        }));
        QCOMPARE(versions.size(), (earlier.isEmpty() ? 0 : 1) + (kept ? 1 : 0));
        if (kept) {
            const DocumentVersion &v = versions.first().title == QLatin1String("Before") ? versions.first() : versions.last();
            QCOMPARE(v.title, QStringLiteral("Before"));
            QCOMPARE(v.changed, QStringLiteral("01-02-2027 10:00:00"));
            QCOMPARE(v.reason, VersionReason::Save);
            QVERIFY(qAbs(v.keptAt.secsTo(QDateTime::currentDateTimeUtc())) < 60);
            QCOMPARE(HistoryStore(*m_db).versionText(v.histNum), std::optional(QStringLiteral("<p>before</p>")));
        }
    }

    void savesKeepVersionsNewestFirst()
    {
        DocumentStore docs(*m_db);
        HistoryStore history(*m_db);
        const auto html = [](int i) { return QStringLiteral("<p>Grüße %1 €</p>").arg(i); };
        const DocNum doc = docs.addDocument(m_dir, QStringLiteral("v0"), html(0), Changed);
        for (int i = 1; i <= 3; ++i) {
            exec(QStringLiteral("UPDATE DocHistory SET KeptAt = datetime(KeptAt, '-11 minutes')"));
            docs.updateDocument(doc, QStringLiteral("v%1").arg(i), html(i), Changed);
        }
        // Within ten minutes of the last version: part of the same burst.
        docs.updateDocument(doc, QStringLiteral("v4"), html(4), Changed);

        const QList<DocumentVersion> versions = history.versionsOf(doc);
        QCOMPARE(titles(versions), QStringList({"v2", "v1", "v0"}));
        QVERIFY(versions[0].keptAt > versions[1].keptAt && versions[1].keptAt > versions[2].keptAt);
        for (const DocumentVersion &v : versions) {
            QCOMPARE(v.doc, doc);
            QCOMPARE(v.dir, m_dir);
            QCOMPARE(v.size, qint64(html(0).size()));
            QCOMPARE(history.versionText(v.histNum), std::optional(html(v.title.mid(1).toInt())));
        }
        QCOMPARE(history.versionText(versions[0].histNum + 1000), std::nullopt);
    }

    void changesThatKeepNoVersion()
    {
        DocumentStore docs(*m_db);
        const DocNum doc = docs.addDocument(m_dir, QStringLiteral("Title"), QStringLiteral("<p>text</p>"), Changed);
        const DirNum other = FolderStore(*m_db).addFolder(QStringLiteral("Other"), 0);
        docs.updateDocument(doc, QStringLiteral("Title"), QStringLiteral("<p>text</p>"), QStringLiteral("date only"));
        QCOMPARE(docs.moveDocuments({doc}, other), 1);
        QCOMPARE(docs.moveDocuments({doc}, m_dir), 1);
        {
            Savepoint notReleased(m_db->connection(), QStringLiteral("test"));
            docs.updateDocument(doc, QStringLiteral("Changed"), QStringLiteral("<p>changed</p>"), Changed);
            QVERIFY(docs.deleteDocument(doc));
        }
        try {
            Transaction failing(m_db->connection(), QStringLiteral("test"));
            docs.updateDocument(doc, QStringLiteral("Changed"), QStringLiteral("<p>changed</p>"), Changed);
            QVERIFY(docs.deleteDocument(doc));
            throw StorageError(QStringLiteral("test"), QStringLiteral("a later step failed"));
        } catch (const StorageError &) {
        }
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM DocHistory")).toInt(), 0);
        QCOMPARE(docs.readDocument(doc)->title, QStringLiteral("Title"));
    }

    // The restore keeps the current state first, so it can be undone; the
    // search follows the document and never finds what is only in the history.
    void restoredVersionCanBeUndone()
    {
        DocumentStore docs(*m_db);
        HistoryStore history(*m_db);
        const DocNum doc = docs.addDocument(m_dir, QStringLiteral("Aardvark"), QStringLiteral("<p>aardvark</p>"),
                                            QStringLiteral("01-02-2027 10:00:00"));
        docs.updateDocument(doc, QStringLiteral("Zebra"), QStringLiteral("<p>zebra</p>"), Changed);
        QCOMPARE(found(QStringLiteral("aardvark")), QList<DocNum>());

        QVERIFY(history.restoreVersion(history.versionsOf(doc).first().histNum, QStringLiteral("06-16-2027 09:00:00")));
        QVERIFY(DocumentSearch(*m_db).indexIsCurrent());  // indexed with the restore, before any search
        std::optional<Document> now = docs.readDocument(doc);
        QCOMPARE(now->title, QStringLiteral("Aardvark"));
        QCOMPARE(now->html, QStringLiteral("<p>aardvark</p>"));
        QCOMPARE(now->changed, QStringLiteral("06-16-2027 09:00:00"));
        QCOMPARE(titles(history.versionsOf(doc)), QStringList({"Zebra", "Aardvark"}));
        QCOMPARE(found(QStringLiteral("aardvark")), QList<DocNum>{doc});
        QCOMPARE(found(QStringLiteral("zebra")), QList<DocNum>());

        QVERIFY(history.restoreVersion(history.versionsOf(doc).first().histNum, Changed));  // undo
        now = docs.readDocument(doc);
        QCOMPARE(now->title, QStringLiteral("Zebra"));
        QCOMPARE(now->changed, Changed);
        QCOMPARE(titles(history.versionsOf(doc)), QStringList({"Aardvark", "Zebra", "Aardvark"}));
        QCOMPARE(found(QStringLiteral("zebra")), QList<DocNum>{doc});
        QCOMPARE(found(QStringLiteral("aardvark")), QList<DocNum>());

        const qint64 oldest = history.versionsOf(doc).last().histNum;
        QVERIFY(!history.restoreVersion(oldest + 1000, Changed));
        QVERIFY(docs.deleteDocument(doc));
        const int kept = scalar(QStringLiteral("SELECT count(*) FROM DocHistory")).toInt();
        QVERIFY(!history.restoreVersion(oldest, Changed));  // its document is gone
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM DocHistory")).toInt(), kept);
    }

    void deletionsAreKeptAndListed()
    {
        DocumentStore docs(*m_db);
        HistoryStore history(*m_db);
        QList<DocNum> nums;
        for (const char *title : {"a", "b", "c", "d"})
            nums << docs.addDocument(m_dir, QLatin1String(title), QStringLiteral("<p>%1 body</p>").arg(QLatin1String(title)), Changed);
        // Another tool deletes one; the program deletes two in a batch.
        m_folder->exec(QStringLiteral("DELETE FROM DocTable WHERE DocNum = %1").arg(nums[0]));
        QCOMPARE(docs.deleteDocuments({nums[1], nums[2], 424242}), 2);
        exec(QStringLiteral("UPDATE DocHistory SET KeptAt = datetime(KeptAt, '-1 hour') WHERE DocNum = ?"), {nums[0]});

        QList<DocumentVersion> deleted = history.deletedDocuments();
        QCOMPARE(titles(deleted), QStringList({"c", "b", "a"}));
        for (const DocumentVersion &v : deleted) {
            QCOMPARE(v.reason, VersionReason::Delete);
            QCOMPARE(v.dir, m_dir);
            QCOMPARE(v.size, qint64(QStringLiteral("<p>a body</p>").size()));
            QCOMPARE(history.versionText(v.histNum), std::optional(QStringLiteral("<p>%1 body</p>").arg(v.title)));
        }
        // A number a tool put back and deleted again is listed once, by its
        // newest deletion.
        m_folder->execAll({QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text) "
                                          "VALUES (%1, %2, 'a again', '')").arg(nums[0]).arg(m_dir),
                           QStringLiteral("DELETE FROM DocTable WHERE DocNum = %1").arg(nums[0])});
        QCOMPARE(titles(history.deletedDocuments()), QStringList({"a again", "c", "b"}));
    }

    void deletedDocumentsComeBack()
    {
        FolderStore folders(*m_db);
        DocumentStore docs(*m_db);
        HistoryStore history(*m_db);
        const DirNum gone = folders.addFolder(QStringLiteral("Gone"), 0);
        // Neither is the folder to reuse: one is not at the top level, one
        // is named otherwise.
        folders.addFolder(RestoredFolderName, m_dir);
        folders.addFolder(QStringLiteral("restored documents"), 0);
        const DocNum a = docs.addDocument(m_dir, QStringLiteral("A"), QStringLiteral("<p>walrus</p>"), Changed);
        docs.updateDocument(a, QStringLiteral("A2"), QStringLiteral("<p>walrus 2</p>"), Changed);
        const DocNum b = docs.addDocument(gone, QStringLiteral("B"), QString(), Changed);
        const DocNum c = docs.addDocument(gone, QStringLiteral("C"), QString(), Changed);
        QCOMPARE(docs.deleteDocuments({c, b, a}), 3);
        QVERIFY(folders.deleteEmptyFolder(gone));
        const QList<DocumentVersion> deleted = history.deletedDocuments();
        QCOMPARE(titles(deleted), QStringList({"A2", "B", "C"}));

        const std::optional<RestoredDocument> ra = history.restoreDeleted(deleted[0].histNum);
        QVERIFY(ra);
        QCOMPARE(ra->dir, m_dir);
        QVERIFY(!ra->intoRestoredFolder && !ra->folderCreated);
        QVERIFY(ra->doc > c);
        QCOMPARE(docs.readDocument(ra->doc)->html, QStringLiteral("<p>walrus 2</p>"));
        QCOMPARE(titles(history.versionsOf(ra->doc)), QStringList{"A"});
        QVERIFY(history.versionsOf(a).isEmpty());
        QCOMPARE(found(QStringLiteral("walrus")), QList<DocNum>{ra->doc});

        const std::optional<RestoredDocument> rb = history.restoreDeleted(deleted[1].histNum);
        QVERIFY(rb && rb->intoRestoredFolder && rb->folderCreated);
        const std::optional<Folder> made = folders.folder(rb->dir);
        QCOMPARE(made->name, RestoredFolderName);
        QCOMPARE(made->kind, FolderKind::Root);
        const std::optional<RestoredDocument> rc = history.restoreDeleted(deleted[2].histNum);
        QVERIFY(rc && rc->intoRestoredFolder && !rc->folderCreated);
        QCOMPARE(rc->dir, rb->dir);
        QCOMPARE(docs.listDocuments(rb->dir).size(), 2);

        QVERIFY(history.deletedDocuments().isEmpty());
        QCOMPARE(history.restoreDeleted(deleted[0].histNum), std::nullopt);  // already back
        QCOMPARE(history.restoreDeleted(history.versionsOf(ra->doc).first().histNum), std::nullopt);  // a save
    }

    void thinningKeepsNewestOfEachDayAndMonth()
    {
        DocumentStore docs(*m_db);
        const DocNum doc = docs.addDocument(m_dir, QStringLiteral("Doc"), QString(), Changed);
        const DocNum older = docs.addDocument(m_dir, QStringLiteral("Older"), QString(), Changed);
        const QStringList young = {ago(29, "08:00:00"), ago(29, "09:00:00")};
        const QStringList day = {ago(40, "08:00:00"), ago(40, "12:00:00"), ago(40, "23:59:59")};
        const QStringList month = {"2026-03-01 00:00:00", "2026-03-20 10:00:00", "2026-03-31 23:59:59"};
        const QStringList single = {ago(41), "2026-04-10 10:00:00"};
        for (const QStringList &group : {young, day, month, single})
            for (const QString &keptAt : group)
                keep(doc, keptAt);
        // The newest version of a document stays, however old.
        keep(older, ago(400, "08:00:00"));
        keep(older, ago(400, "09:00:00"));

        QCOMPARE(thinHistory(m_folder->file(LiveDatabaseName), Now), qint64(5));
        QStringList expected = young + single;
        expected << day.last() << month.last();
        expected.sort();
        QCOMPARE(keptAtOf(doc), expected);
        QCOMPARE(keptAtOf(older), QStringList{ago(400, "09:00:00")});
        QCOMPARE(thinHistory(m_folder->file(LiveDatabaseName), Now), qint64(0));
    }

    void thinningRemovesDeletedDocuments_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<bool>("withDeleteEntry");
        QTest::addColumn<bool>("removed");
        QTest::newRow("deleted 90 days ago") << 90 << true << true;
        QTest::newRow("deleted 89 days ago") << 89 << true << false;
        QTest::newRow("gone without an entry, newest 90 days ago") << 90 << false << true;
        QTest::newRow("gone without an entry, newest 89 days ago") << 89 << false << false;
    }
    void thinningRemovesDeletedDocuments()
    {
        QFETCH(int, daysAgo);
        QFETCH(bool, withDeleteEntry);
        QFETCH(bool, removed);
        const DocNum gone = 777;
        keep(gone, ago(daysAgo + 30));
        keep(gone, ago(daysAgo + 5));
        keep(gone, ago(daysAgo), withDeleteEntry ? QStringLiteral("delete") : QStringLiteral("save"));
        QCOMPARE(thinHistory(m_folder->file(LiveDatabaseName), Now), qint64(removed ? 3 : 0));
        QCOMPARE(keptAtOf(gone).size(), removed ? 0 : 3);
    }

    // Over its share, the history loses its oldest versions first, and
    // never what the rules keep.
    void thinningToTheShareOfTheFile_data()
    {
        QTest::addColumn<int>("share");
        QTest::newRow("until within its share") << 40;
        QTest::newRow("down to what the rules keep") << 1;
    }
    void thinningToTheShareOfTheFile()
    {
        QFETCH(int, share);
        DocumentStore docs(*m_db);
        const DocNum doc = docs.addDocument(m_dir, QStringLiteral("Doc"), QString(), Changed);
        const DocNum other = docs.addDocument(m_dir, QStringLiteral("Other"), QString(), Changed);
        const QString text(20000, QLatin1Char('x'));
        QStringList candidates;  // oldest first
        keep(555, ago(60), QStringLiteral("delete"), text);  // deleted, not yet for 90 days
        candidates << ago(60);
        for (int days = 42; days > 30; --days) {
            keep(doc, ago(days), QStringLiteral("save"), text);
            candidates << ago(days);
        }
        const QStringList protectedOnes = {ago(200), ago(10), ago(9)};
        keep(other, ago(200), QStringLiteral("save"), text);  // the newest of its document
        keep(doc, ago(10), QStringLiteral("save"), text);
        keep(doc, ago(9), QStringLiteral("save"), text);
        const qint64 versionBytes = ago(1).size() + text.size();

        std::atomic<bool> cancel = true;
        const ThinningRules rules{30, 365, 90, share};
        QCOMPARE(thinHistory(m_folder->file(LiveDatabaseName), Now, rules, &cancel), qint64(0));
        cancel = false;
        const qint64 removed = thinHistory(m_folder->file(LiveDatabaseName), Now, rules, &cancel);

        QStringList remaining = protectedOnes + candidates.mid(removed);
        remaining.sort();
        QStringList stored;
        QSqlQuery q(m_db->connection());
        q.exec(QStringLiteral("SELECT KeptAt FROM DocHistory ORDER BY KeptAt"));
        while (q.next())
            stored << q.value(0).toString();
        QCOMPARE(stored, remaining);
        const qint64 file = scalar(QStringLiteral("PRAGMA page_count")).toLongLong()
            * scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        const qint64 history = stored.size() * versionBytes;
        if (removed < candidates.size()) {
            QVERIFY(removed > 0);
            QVERIFY2(history * 100 <= share * file, "still over its share");
            QVERIFY2((history + versionBytes) * 100 > share * file, "removed more than needed");
        } else {
            QVERIFY(history * 100 > share * file);
        }
    }

    void olderFileGetsTheHistoryAtOpen()
    {
        m_db->close();
        QFile schemaFile(QStringLiteral(FOLIO_SCHEMA_PATH));
        QVERIFY(schemaFile.open(QIODevice::ReadOnly));
        QString schema = QString::fromUtf8(schemaFile.readAll());
        schema.truncate(schema.indexOf(QStringLiteral("-- The document history")));
        schema.replace(QStringLiteral("user_version = 3"), QStringLiteral("user_version = 2"));
        QVERIFY(QFile::remove(m_folder->file(LiveDatabaseName)));
        createDatabaseFile(m_folder->file(LiveDatabaseName),
                           schema + QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName) VALUES (5, 1, 'Old');"));

        QVERIFY(m_db->open().ok());
        QCOMPARE(scalar(QStringLiteral("PRAGMA user_version")).toInt(), FolioSchemaVersion);
        QCOMPARE(historyObjects(m_db->connection()).size(), 5);
        QCOMPARE(historyObjects(m_db->connection()), templateHistoryObjects());
        m_folder->exec(QStringLiteral("UPDATE DocTable SET DocName = 'New' WHERE DocNum = 5"));
        QCOMPARE(titles(HistoryStore(*m_db).versionsOf(5)), QStringList{"Old"});
    }

    void droppedStructuresComeBackAtOpen_data()
    {
        QTest::addColumn<QStringList>("drops");
        QTest::newRow("everything") << QStringList{"DROP TRIGGER DocTable_HistorySave",
                                                   "DROP TRIGGER DocTable_HistoryDelete", "DROP TABLE DocHistory"};
        QTest::newRow("the table") << QStringList{"DROP TABLE DocHistory"};
        QTest::newRow("a trigger") << QStringList{"DROP TRIGGER DocTable_HistoryDelete"};
        QTest::newRow("an index") << QStringList{"DROP INDEX DocHistory_Deleted"};
    }
    void droppedStructuresComeBackAtOpen()
    {
        QFETCH(QStringList, drops);
        const DocNum doc = DocumentStore(*m_db).addDocument(m_dir, QStringLiteral("Doc"), QString(), Changed);
        m_db->close();
        m_folder->execAll(drops);
        QVERIFY(m_db->open().ok());
        QCOMPARE(historyObjects(m_db->connection()), templateHistoryObjects());
        m_folder->exec(QStringLiteral("DELETE FROM DocTable WHERE DocNum = %1").arg(doc));
        QCOMPARE(titles(HistoryStore(*m_db).deletedDocuments()), QStringList{"Doc"});
    }

    // The file stays plain: the sqlite3 tool's own changes are kept.
    void changesOfTheSqliteToolAreKept()
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (tool.isEmpty())
            QSKIP("the sqlite3 tool is not installed");
        DocumentStore docs(*m_db);
        const DocNum a = docs.addDocument(m_dir, QStringLiteral("A"), QStringLiteral("<p>a</p>"), Changed);
        const DocNum b = docs.addDocument(m_dir, QStringLiteral("B"), QStringLiteral("<p>b</p>"), Changed);
        QProcess process;
        process.start(tool, {m_folder->file(LiveDatabaseName),
                             QStringLiteral("UPDATE DocTable SET Text = '<p>tool</p>' WHERE DocNum = %1; "
                                            "DELETE FROM DocTable WHERE DocNum = %2; PRAGMA integrity_check;")
                                 .arg(a)
                                 .arg(b)});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), QStringLiteral("ok\n"));
        QCOMPARE(titles(HistoryStore(*m_db).versionsOf(a)), QStringList{"A"});
        QCOMPARE(titles(HistoryStore(*m_db).deletedDocuments()), QStringList{"B"});
    }

    void compactionBackupAndRestoreKeepTheHistory()
    {
        DocumentStore docs(*m_db);
        const DocNum doc = docs.addDocument(m_dir, QStringLiteral("Doc"), QStringLiteral("<p>aardvark qx</p>"), Changed);
        docs.updateDocument(doc, QStringLiteral("Doc"), QStringLiteral("<p>zebra</p>"), Changed);
        // Neither the index nor the scan of short keywords reads the history.
        QCOMPARE(found(QStringLiteral("aardvark")), QList<DocNum>());
        QCOMPARE(found(QStringLiteral("qx")), QList<DocNum>());
        const auto keptText = [&] {
            const QList<DocumentVersion> versions = HistoryStore(*m_db).versionsOf(doc);
            return versions.size() == 1 ? HistoryStore(*m_db).versionText(versions[0].histNum) : std::nullopt;
        };

        m_db->close();
        compactDatabase(m_folder->path());
        QVERIFY(m_db->open().ok());
        QCOMPARE(keptText(), std::optional(QStringLiteral("<p>aardvark qx</p>")));
        m_db->close();
        backupDatabase(m_folder->path(), BackupPosition::A, Now);
        m_folder->exec(QStringLiteral("DELETE FROM DocHistory"));
        restoreDatabase(m_folder->path(), BackupPosition::A);
        QVERIFY(m_db->open().ok());
        QCOMPARE(keptText(), std::optional(QStringLiteral("<p>aardvark qx</p>")));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
