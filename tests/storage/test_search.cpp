// The search index and the find operations on real database files: visible
// text instead of markup, literal keywords, Unicode case, short keywords,
// the index following every change, rows written by another tool, files
// without the index, and failures.

#include "storage/database.h"
#include "storage/documentsearch.h"
#include "storage/documentstore.h"
#include "storage/folderstore.h"
#include "storage/htmltext.h"
#include "storage/schema.h"
#include "storage/searchindex.h"
#include "storage/storageerror.h"
#include "support/testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocument>
#include <thread>
#include <unistd.h>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

QString page(const QString &bodyHtml)
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\" /><style type=\"text/css\">p { margin-top:0px; "
                          "font-family:'Arial'; color:#112233; }</style><title>hidden title</title></head>"
                          "<body style=\" font-size:9pt; font-weight:400;\">%1</body></html>")
        .arg(bodyHtml);
}

QList<DocNum> numbers(const QList<FoundDocument> &documents)
{
    QList<DocNum> result;
    for (const FoundDocument &d : documents)
        result << d.num;
    return result;
}

QList<DocNum> numbers(const QList<Folder> &folders)
{
    QList<DocNum> result;
    for (const Folder &f : folders)
        result << f.num;
    return result;
}

QVariant scalar(Database &db, const QString &sql)
{
    QSqlQuery q(db.connection());
    if (!q.exec(sql) || !q.next())
        return {};
    return q.value(0);
}

// The schema of the first version, before the search index: the file an
// older backup or an older program leaves.
QString schemaWithoutIndex()
{
    QFile file(QStringLiteral(FOLIO_SCHEMA_PATH));
    file.open(QIODevice::ReadOnly);
    QString schema = QString::fromUtf8(file.readAll());
    schema.truncate(schema.indexOf(QStringLiteral("-- The search index")));
    return schema.replace(QStringLiteral("user_version = 2"), QStringLiteral("user_version = 1"));
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    Database *m_db = nullptr;
    DirNum m_dir = 0;

    DocNum add(const QString &title, const QString &body)
    {
        return DocumentStore(*m_db).addDocument(m_dir, title, page(body), QStringLiteral("12-06-2026 10:00:00"));
    }

    QList<DocNum> find(const QString &k1, const QString &k2 = {}, KeywordJoin join = KeywordJoin::And)
    {
        return numbers(DocumentSearch(*m_db).findDocuments(SearchRequest{k1, k2, join}));
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

    void visibleText_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("markup and head dropped") << page(QStringLiteral("<p style=\"margin:0\">one <b>two</b></p>"))
                                                 << QStringLiteral("one two");
        QTest::newRow("blocks become lines") << QStringLiteral("<p>a</p><p>b</p><ul><li>c<li>d</ul>x<br/>y")
                                             << QStringLiteral("a\nb\nc\nd\nx\ny");
        QTest::newRow("references") << QStringLiteral("&lt;b&gt; &amp; &quot;q&quot; &#39;&#x3A3;&#931; &eacute;&euro;")
                                    << QStringLiteral("<b> & \"q\" 'ΣΣ é€");
        QTest::newRow("unknown and broken references stay")
            << QStringLiteral("&bogus; & &amp &#; &#0; AT&T") << QStringLiteral("&bogus; & &amp &#; \uFFFD AT&T");
        QTest::newRow("no-break space and source line breaks")
            << QStringLiteral("a&nbsp;b\u00a0c\nd\te") << QStringLiteral("a b c d e");
        QTest::newRow("comments, declarations, scripts")
            << QStringLiteral("<!DOCTYPE html><!-- <p>gone</p> -->x<script>if (a < b) y();</SCRIPT>z<?php q ?>")
            << QStringLiteral("xz");
        QTest::newRow("quoted '>' inside an attribute") << QStringLiteral("<a title=\"a > b\" href='x>y'>link</a>")
                                                        << QStringLiteral("link");
        QTest::newRow("a lone '<' is text") << QStringLiteral("1 < 2 <= 3") << QStringLiteral("1 < 2 <= 3");
        QTest::newRow("image") << QStringLiteral("a<img src=\"x.png\" alt=\"hidden\">b") << QStringLiteral("a\uFFFCb");
        QTest::newRow("unterminated tag") << QStringLiteral("text<p class=\"x") << QStringLiteral("text");
    }

    void visibleText()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QCOMPARE(folio::visibleText(html), text);
    }

    // The extraction agrees with what the editor shows for pages it writes.
    void visibleTextAgreesWithTheEditor()
    {
        QTextDocument written;
        written.setHtml(QStringLiteral("<h1>Head &amp; title</h1><p>Plain <b>bold</b> <i>and</i> "
                                       "<span style=\"color:#ff0000\">red</span>&nbsp;text</p>"
                                       "<ol><li>first</li><li>second</li></ol><p>O'Brien's \"quote\" &lt;tag&gt;</p>"));
        QTextDocument reread;
        reread.setHtml(written.toHtml());
        QCOMPARE(folio::visibleText(written.toHtml()), reread.toPlainText());
    }

    // Search form: simple case folding, as Qt::CaseInsensitive compares.
    void foldingCoversUnicode()
    {
        QCOMPARE(searchFold(u"ÄÖÜ ΣΑΣ ς Жук ǅ"), QStringLiteral("äöü σασ σ жук ǆ"));
        QCOMPARE(searchFold(u"\U00010400"), QStringLiteral("\U00010428"));  // Deseret, outside the BMP
        for (char32_t c = 0; c < 0x110000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            const QString one = QString::fromUcs4(&c, 1);
            QVERIFY2(one.compare(searchFold(one), Qt::CaseInsensitive) == 0 || c == 0xA0,
                     qPrintable(QString::number(c, 16)));
        }
    }

    void findsVisibleTextNotMarkup()
    {
        const DocNum a = add(QStringLiteral("Title Alpha"), QStringLiteral("<p>the margin of error</p>"));
        const DocNum b = add(QStringLiteral("Beta"), QStringLiteral("<p><span style=\"font-weight:600\">bold</span></p>"));
        QCOMPARE(find(QStringLiteral("margin")), QList<DocNum>({a}));
        QCOMPARE(find(QStringLiteral("font")), QList<DocNum>());
        QCOMPARE(find(QStringLiteral("style")), QList<DocNum>());
        QCOMPARE(find(QStringLiteral("hidden title")), QList<DocNum>());
        QCOMPARE(find(QStringLiteral("ALPHA")), QList<DocNum>({a}));     // title
        QCOMPARE(find(QStringLiteral("bold")), QList<DocNum>({b}));
        // The title and the text are separate: no match across them.
        QCOMPARE(find(QStringLiteral("alphathe")), QList<DocNum>());
    }

    void keywordsAreLiteral_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("found");
        QTest::newRow("percent") << QStringLiteral("50%") << true;
        QTest::newRow("percent alone") << QStringLiteral("%") << true;
        QTest::newRow("underscore") << QStringLiteral("a_b") << true;
        QTest::newRow("underscore as wildcard") << QStringLiteral("a_c") << false;
        QTest::newRow("star") << QStringLiteral("x*") << true;
        QTest::newRow("prefix star") << QStringLiteral("tex*") << false;
        QTest::newRow("apostrophe") << QStringLiteral("O'Brien's") << true;
        QTest::newRow("double quote") << QStringLiteral("say \"hi\"") << true;
        QTest::newRow("lone quote") << QStringLiteral("\"") << true;
        QTest::newRow("brackets") << QStringLiteral("[x] (y)") << true;
        QTest::newRow("AND operator") << QStringLiteral("cats AND dogs") << true;
        QTest::newRow("AND between words elsewhere") << QStringLiteral("cats AND birds") << false;
        QTest::newRow("NEAR") << QStringLiteral("NEAR(a b)") << true;
        QTest::newRow("column filter") << QStringLiteral("Title:x") << false;
        QTest::newRow("caret and plus") << QStringLiteral("^+1") << true;
        QTest::newRow("semicolon SQL") << QStringLiteral("'); DROP TABLE DocTable; --") << false;
    }

    void keywordsAreLiteral()
    {
        QFETCH(QString, keyword);
        QFETCH(bool, found);
        const DocNum a = add(QStringLiteral("O'Brien's list"),
                             QStringLiteral("<p>50% a_b x* say &quot;hi&quot; [x] (y) cats AND dogs NEAR(a b) ^+1</p>"));
        add(QStringLiteral("other"), QStringLiteral("<p>text of abc and axc, birds</p>"));
        QCOMPARE(find(keyword), found ? QList<DocNum>({a}) : QList<DocNum>());
        QVERIFY(scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocTable")).toInt() == 2);
    }

    void unicodeCase()
    {
        const DocNum german = add(QStringLiteral("Ärger"), QStringLiteral("<p>GRÜSSE aus Straße</p>"));
        const DocNum greek = add(QStringLiteral("σημείωση"), QStringLiteral("<p>ΟΔΟΣ ΣΤΗΝ ΘΆΛΑΣΣΑ</p>"));
        const DocNum other = add(QStringLiteral("ЖУРНАЛ \U00010400\U00010401"), QStringLiteral("<p>ǅemal</p>"));
        QCOMPARE(find(QStringLiteral("ärg")), QList<DocNum>({german}));
        QCOMPARE(find(QStringLiteral("grüsse")), QList<DocNum>({german}));
        QCOMPARE(find(QStringLiteral("STRASSE")), QList<DocNum>());  // simple folding: ß is not ss
        QCOMPARE(find(QStringLiteral("ΣΗΜΕΊΩΣΗ")), QList<DocNum>({greek}));
        QCOMPARE(find(QStringLiteral("οδος")), QList<DocNum>({greek}));   // final sigma folds to sigma
        QCOMPARE(find(QStringLiteral("θάλασσα")), QList<DocNum>({greek}));
        QCOMPARE(find(QStringLiteral("журнал")), QList<DocNum>({other}));
        QCOMPARE(find(QStringLiteral("\U00010428\U00010429")), QList<DocNum>({other}));
        QCOMPARE(find(QStringLiteral("ǆem")), QList<DocNum>({other}));
        // Letters newer than SQLite's own case table: Georgian Mtavruli
        // capitals find the Mkhedruli small letters.
        const DocNum georgian = add(QStringLiteral("x"), QStringLiteral("<p>საქართველო</p>"));
        QCOMPARE(find(QStringLiteral("\u1CA1\u1C90\u1CA5")), QList<DocNum>({georgian}));
        QCOMPARE(find(QStringLiteral("Ä")), QList<DocNum>({german}));      // short: scan
        QCOMPARE(find(QStringLiteral("ς")), QList<DocNum>({greek}));
    }

    void shortKeywordsScanTheText()
    {
        const DocNum a = add(QStringLiteral("x"), QStringLiteral("<p>知識 is knowledge</p>"));
        const DocNum b = add(QStringLiteral("Zy"), QStringLiteral("<p>no match here</p>"));
        const DocNum c = add(QStringLiteral("c"), QStringLiteral("<p>two  blanks</p>"));
        QCOMPARE(find(QStringLiteral("知識")), QList<DocNum>({a}));
        QCOMPARE(find(QStringLiteral("識")), QList<DocNum>({a}));
        QCOMPARE(find(QStringLiteral("ZY")), QList<DocNum>({b}));
        QCOMPARE(find(QStringLiteral("  ")), QList<DocNum>({c}));
        QCOMPARE(find(QStringLiteral(" ")), QList<DocNum>({a, b, c}));
        QCOMPARE(find(QStringLiteral("%")), QList<DocNum>());
        QCOMPARE(find(QStringLiteral("_")), QList<DocNum>());
        QCOMPARE(find(QStringLiteral("\U00010400")), QList<DocNum>());  // one character, two code units
    }

    void andOrAndTheLoneSecondKeyword()
    {
        const DocNum both = add(QStringLiteral("apple"), QStringLiteral("<p>banana</p>"));
        const DocNum apple = add(QStringLiteral("apple only"), QStringLiteral("<p>x</p>"));
        const DocNum banana = add(QStringLiteral("y"), QStringLiteral("<p>banana only</p>"));
        add(QStringLiteral("neither"), QStringLiteral("<p>cherry</p>"));
        QCOMPARE(find(QStringLiteral("apple"), QStringLiteral("banana")), QList<DocNum>({both}));
        QCOMPARE(find(QStringLiteral("apple"), QStringLiteral("banana"), KeywordJoin::Or),
                 QList<DocNum>({both, apple, banana}));
        QCOMPARE(find(QStringLiteral("ap"), QStringLiteral("banana")), QList<DocNum>({both}));
        QCOMPARE(find(QStringLiteral("banana"), QStringLiteral("ly"), KeywordJoin::Or),
                 QList<DocNum>({both, apple, banana}));
        QCOMPARE(find(QString(), QStringLiteral("banana")), QList<DocNum>({both, banana}));
        QCOMPARE(find(QString(), QString()), QList<DocNum>());
        const QList<FoundDocument> rows = DocumentSearch(*m_db).findDocuments({QStringLiteral("only"), {}, {}});
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].title, QStringLiteral("apple only"));
        QCOMPARE(rows[0].dir, m_dir);
        QCOMPARE(DocumentSearch(*m_db).folderOf(apple), std::optional<DirNum>(m_dir));
        QCOMPARE(DocumentSearch(*m_db).folderOf(apple + 100), std::nullopt);
        QCOMPARE(rows[0].changed, QStringLiteral("12-06-2026 10:00:00"));
    }

    void folderNames()
    {
        FolderStore folders(*m_db);
        const DirNum a = folders.addFolder(QStringLiteral("Ärzte & Kliniken"), 0);
        const DirNum b = folders.addFolder(QStringLiteral("arztbriefe"), a);
        const DirNum c = folders.addFolder(QStringLiteral("100% O'Neil"), 0);
        DocumentSearch search(*m_db);
        QCOMPARE(numbers(search.findFolders({QStringLiteral("ÄRZ"), {}, {}})), QList<DocNum>({a}));
        QCOMPARE(numbers(search.findFolders({QStringLiteral("arzt"), {}, {}})), QList<DocNum>({b}));
        QCOMPARE(numbers(search.findFolders({QStringLiteral("e"), QStringLiteral("%"), KeywordJoin::Or})),
                 QList<DocNum>({m_dir, a, b, c}));
        QCOMPARE(numbers(search.findFolders({QStringLiteral("e"), QStringLiteral("%"), KeywordJoin::And})),
                 QList<DocNum>({c}));
        QCOMPARE(numbers(search.findFolders({{}, QStringLiteral("o'n"), {}})), QList<DocNum>({c}));
    }

    // Every change is written with the index, nothing left for later: the
    // queue is read right after each change, before any search could work
    // it off.
    void indexFollowsEveryChange()
    {
        DocumentStore documents(*m_db);
        const auto pending = [&] { return scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocTextPending")).toInt(); };
        const DocNum a = add(QStringLiteral("first"), QStringLiteral("<p>walrus</p>"));
        QCOMPARE(pending(), 0);
        QCOMPARE(find(QStringLiteral("walrus")), QList<DocNum>({a}));
        documents.updateDocument(a, QStringLiteral("renamed"), page(QStringLiteral("<p>pelican</p>")),
                                 QStringLiteral("12-06-2026 11:00:00"));
        QCOMPARE(pending(), 0);
        QCOMPARE(find(QStringLiteral("walrus")), QList<DocNum>());
        QCOMPARE(find(QStringLiteral("pelican")), QList<DocNum>({a}));
        QCOMPARE(find(QStringLiteral("renamed")), QList<DocNum>({a}));
        const DirNum other = FolderStore(*m_db).addFolder(QStringLiteral("Other"), 0);
        QCOMPARE(documents.moveDocuments({a}, other), 1);
        QCOMPARE(find(QStringLiteral("pelican")), QList<DocNum>({a}));
        // A failed save leaves index and text as they were.
        QVERIFY_THROWS_EXCEPTION(StorageError, documents.updateDocument(a + 100, QStringLiteral("x"),
                                                                         page(QStringLiteral("ghost")), {}));
        QCOMPARE(pending(), 0);
        QVERIFY(documents.deleteDocument(a));
        QCOMPARE(pending(), 0);
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocText")).toInt(), 0);
        QCOMPARE(find(QStringLiteral("pelican")), QList<DocNum>());
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocTextIndex('pelican')")).toInt(), 0);
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocTextIndex('ghost')")).toInt(), 0);
    }

    void indexChangesRollBackWithTheirTransaction()
    {
        const DocNum a = add(QStringLiteral("keep"), QStringLiteral("<p>original words</p>"));
        QSqlDatabase db = m_db->connection();
        QVERIFY(db.transaction());
        DocumentStore(*m_db).updateDocument(a, QStringLiteral("keep"), page(QStringLiteral("<p>replaced</p>")), {});
        add(QStringLiteral("new"), QStringLiteral("<p>replaced too</p>"));
        QVERIFY(db.rollback());
        QCOMPARE(find(QStringLiteral("original")), QList<DocNum>({a}));
        QCOMPARE(find(QStringLiteral("replaced")), QList<DocNum>());
        QSqlQuery check(db);
        QVERIFY2(check.exec(QStringLiteral("INSERT INTO DocTextIndex (DocTextIndex, rank) VALUES ('integrity-check', 1)")),
                 qPrintable(check.lastError().text()));
    }

    // Another tool (here a plain connection with no function of ours) writes
    // rows while the program has the file open: the next search finds them
    // by reading the pages, without indexing them itself (the background
    // build's work), and the index finds the same once it has caught up.
    void rowsWrittenByAnotherTool()
    {
        const DocNum kept = add(QStringLiteral("kept"), QStringLiteral("<p>heron</p>"));
        const DocNum gone = add(QStringLiteral("gone"), QStringLiteral("<p>heron</p>"));
        m_folder->execAll({
            QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
                           "(500, 1, 'From the tool', '<p style=\"margin:0\">otter &amp; heron</p>', '')"),
            QStringLiteral("UPDATE DocTable SET Text = '<p>stork</p>' WHERE DocNum = %1").arg(kept),
            QStringLiteral("DELETE FROM DocTable WHERE DocNum = %1").arg(gone),
            QStringLiteral("INSERT OR REPLACE INTO DocTable (DocNum, DirNum, DocName, Text) VALUES (501, 1, 'r', 'x')"),
            QStringLiteral("UPDATE OR FAIL DocTable SET DocName = 'replaced' WHERE DocNum = 501"),
            QStringLiteral("UPDATE DocTable SET DocNum = 502 WHERE DocNum = 501"),
        });
        const auto findAll = [&] {
            return QList<QList<DocNum>>{find(QStringLiteral("heron")), find(QStringLiteral("stork")),
                                        find(QStringLiteral("margin")), find(QStringLiteral("replaced")),
                                        find(QStringLiteral("&")), find(QStringLiteral("he"))};
        };
        const QList<QList<DocNum>> expected{{500}, {kept}, {}, {502}, {500}, {500}};
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocTextPending")).toInt(), 5);
        QVERIFY(!DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(findAll(), expected);
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM DocTextPending")).toInt(), 5);

        SearchIndex(m_db->connection()).catchUp();
        QVERIFY(DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(findAll(), expected);
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT group_concat(DocNum) FROM DocText")).toString(),
                 QStringLiteral("%1,500,502").arg(kept));
    }

    // The plain sqlite3 tool reads and writes the file; its rows are found.
    void plainToolCanWriteTheFile()
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (tool.isEmpty())
            QSKIP("the sqlite3 tool is not installed");
        add(QStringLiteral("mine"), QStringLiteral("<p>beaver</p>"));
        QProcess process;
        process.start(tool, {m_folder->file(LiveDatabaseName),
                             QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'Tool', "
                                            "'<p>BEAVER dam</p>'); PRAGMA integrity_check; "
                                            "SELECT count(*) FROM DocTextIndex WHERE DocTextIndex MATCH 'beaver';")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), QStringLiteral("ok\n1\n"));
        QCOMPARE(find(QStringLiteral("Beaver")).size(), 2);
    }

    // The template carries the same structures that an upgrade creates.
    void templateHasTheIndex()
    {
        QSqlQuery q(m_db->connection());
        QVERIFY(q.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE name IN ('DocText', 'DocTextIndex', "
                                      "'DocTextPending', 'DocText_Num') "
                                      "OR (type = 'trigger' AND name NOT LIKE 'DocTable_History%') ORDER BY rowid")));
        QStringList stored;
        while (q.next())
            stored << q.value(0).toString();
        QCOMPARE(stored, SearchIndex::schemaStatements());
        QVERIFY(SearchIndex(m_db->connection()).isInstalled());
        QCOMPARE(scalar(*m_db, QStringLiteral("PRAGMA user_version")).toInt(), FolioSchemaVersion);
    }

    // An older file: opening adds the index without reading a row; the build
    // notes every row and extracts it on a connection of its own with
    // progress, and can stop and resume. Until then the pages are read.
    void olderFileGetsTheIndexBuilt()
    {
        m_db->close();
        QFile::remove(m_folder->file(LiveDatabaseName));
        createDatabaseFile(m_folder->file(LiveDatabaseName), schemaWithoutIndex());
        QStringList rows;
        for (int i = 1; i <= 120; ++i)
            rows << QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'doc %1', "
                                   "'<p>body %1 %2</p>')").arg(i).arg(i % 3 == 0 ? QStringLiteral("fizz") : QString());
        m_folder->execAll(rows);

        QVERIFY(m_db->open().ok());
        QCOMPARE(scalar(*m_db, QStringLiteral("PRAGMA user_version")).toInt(), FolioSchemaVersion);
        SearchIndex index(m_db->connection());
        QCOMPARE(index.pendingCount(), 0);
        QVERIFY(!DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(find(QStringLiteral("fizz")).size(), 40);

        std::atomic<bool> cancel = true;
        catchUpSearchIndex(m_folder->file(LiveDatabaseName), {}, &cancel);
        QCOMPARE(index.pendingCount(), 120);
        QList<qint64> seen, totals;
        cancel = false;
        std::thread worker([&] {
            catchUpSearchIndex(m_folder->file(LiveDatabaseName), [&](qint64 done, qint64 total) {
                seen << done;
                totals << total;
            }, &cancel);
        });
        worker.join();
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), 120);
        QCOMPARE(totals.last(), 120);
        QCOMPARE(index.pendingCount(), 0);
        QCOMPARE(find(QStringLiteral("fizz")).size(), 40);
        QCOMPARE(find(QStringLiteral("body 11")), QList<DocNum>({11, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119}));
    }

    // Structures removed by hand are put back at the next open or by the
    // background build, and the build notes rows written meanwhile; until
    // then the search reads the pages.
    void removedIndexIsRebuilt()
    {
        const DocNum a = add(QStringLiteral("a"), QStringLiteral("<p>badger</p>"));
        m_db->close();
        m_folder->execAll({QStringLiteral("DROP TRIGGER DocTable_TextInsert"),
                           QStringLiteral("INSERT INTO DocTable (DocNum, DirNum, DocName, Text) VALUES (700, 1, 'b', 'badger')")});
        QVERIFY(m_db->open().ok());
        QVERIFY(SearchIndex(m_db->connection()).isInstalled());
        QVERIFY(!DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(find(QStringLiteral("badger")), QList<DocNum>({a, 700}));
        catchUpSearchIndex(m_folder->file(LiveDatabaseName));
        QVERIFY(DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(find(QStringLiteral("badger")), QList<DocNum>({a, 700}));

        // Text left over from a row deleted with the triggers gone.
        m_db->close();
        m_folder->execAll({QStringLiteral("DELETE FROM DocTextPending"),
                           QStringLiteral("DROP TRIGGER DocTable_TextDelete"),
                           QStringLiteral("CREATE TRIGGER DocTable_TextDelete AFTER DELETE ON DocTable BEGIN SELECT 1; END"),
                           QStringLiteral("DELETE FROM DocTable WHERE DocNum = 700")});
        QVERIFY(m_db->open().ok());
        QVERIFY(!DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(find(QStringLiteral("badger")), QList<DocNum>({a}));
        catchUpSearchIndex(m_folder->file(LiveDatabaseName));
        QCOMPARE(SearchIndex(m_db->connection()).pendingCount(), 0);

        // Removed while the program runs: the search reads the pages until
        // the background build has put the index back.
        m_folder->execAll({QStringLiteral("DROP TABLE DocTextIndex")});
        QVERIFY(!DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(find(QStringLiteral("badger")), QList<DocNum>({a}));
        QVERIFY(!SearchIndex(m_db->connection()).isInstalled());
        catchUpSearchIndex(m_folder->file(LiveDatabaseName));
        QVERIFY(DocumentSearch(*m_db).indexIsCurrent());
        QCOMPARE(find(QStringLiteral("badger")), QList<DocNum>({a}));
    }

    void readOnlyFileWithoutIndexIsSearchedByReading()
    {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        m_db->close();
        QFile::remove(m_folder->file(LiveDatabaseName));
        createDatabaseFile(m_folder->file(LiveDatabaseName), schemaWithoutIndex());
        m_folder->execAll({QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'x', '<p>Éclair</p>')"),
                           QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'y', '<p style=\"éclair\">z</p>')")});
        QFile::setPermissions(m_folder->path(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(m_db->open().ok());
        QVERIFY(!m_db->isWritable());
        QCOMPARE(find(QStringLiteral("ÉCLAIR")), QList<DocNum>({1}));
        QCOMPARE(find(QStringLiteral("cl")), QList<DocNum>({1}));
        m_db->close();
        QFile::setPermissions(m_folder->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A damaged index makes the search fail with a message naming it; the
    // documents themselves stay readable.
    void damagedIndexFailsTheSearch()
    {
        const DocNum a = add(QStringLiteral("a"), QStringLiteral("<p>lynx</p>"));
        m_folder->exec(QStringLiteral("DROP TABLE DocTextIndex_data"));
        try {
            find(QStringLiteral("lynx"));
            QFAIL("the search did not fail");
        } catch (const StorageError &e) {
            QCOMPARE(e.operation(), QStringLiteral("search the documents"));
            QVERIFY(!e.detail().isEmpty());
        }
        QVERIFY(DocumentStore(*m_db).readDocument(a).has_value());
    }
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
