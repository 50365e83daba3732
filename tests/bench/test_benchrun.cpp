// The runner's measurements on a small generated base: they drive the real
// window (and start the shipped program) on a copy of the base, report what
// they measured (and fail visibly, never with a figure, when the data is not
// there), and leave the base as it was. No timing is checked here.

#include "app/mainwindow.h"
#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/editrecovery.h"
#include "editor/htmleditor.h"
#include "generator/kbgenerator.h"
#include "runner/benchsession.h"
#include "runner/documentbench.h"
#include "runner/filebench.h"
#include "runner/openexplore.h"
#include "runner/pagebench.h"
#include "runner/resulttable.h"
#include "runner/searchbench.h"
#include "runner/startupbench.h"
#include "runner/windowbench.h"
#include "tree/foldertree.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <QTextDocument>
#include <QTextEdit>

using namespace folio::bench;
using folio::test::ProgramFolder;

namespace {

// Runs per round of the heavy rows: enough to see them work, few enough
// for a test run (also one with the sanitizers).
constexpr int RunCap = 20;

QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// One value read from a database file through a connection of its own.
QVariant valueIn(const QString &database, const QString &sql, const QVariant &bound = {})
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(database);
        db.open();
        QSqlQuery q(db);
        q.prepare(sql);
        if (bound.isValid())
            q.addBindValue(bound);
        if (q.exec() && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return value;
}

QString changeDateIn(const QString &database, qint64 docNum)
{
    return valueIn(database, QStringLiteral("SELECT ChgDate FROM DocTable WHERE DocNum = ?"), docNum).toString();
}

// How many search structures (tables and triggers) the file has.
int searchStructuresIn(const QString &database)
{
    return valueIn(database, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE 'DocText%'")).toInt();
}

BenchRow::Status statusOf(const ResultTable &table, const QString &id)
{
    const BenchRow *row = table.row(id);
    return row ? row->status : BenchRow::Status::Failed;
}

} // namespace

class TestBenchRun : public QObject
{
    Q_OBJECT

    ProgramFolder m_base;
    ProgramFolder m_workParent;
    Manifest m_manifest;

    QString workDir() const { return m_workParent.file(QStringLiteral("run")); }

private Q_SLOTS:
    void initTestCase()
    {
        GeneratorConfig config;
        config.folders = 30;
        config.documents = 150;
        config.largeDocuments = 1;
        config.switchFolderDocuments = 40;
        config.openSamples = 2;
        m_manifest = KnowledgeBaseGenerator(config).generate(m_base.path(), QStringLiteral(FOLIO_TEMPLATE_PATH));
    }

    void workFolderIsAFreshCopyAndTheBaseStaysAsItWas()
    {
        const QString baseFile = m_base.file(QStringLiteral("KB97.MDB"));
        const QByteArray before = fileDigest(baseFile);
        const QString baseDate = changeDateIn(baseFile, m_manifest.oneMegabyteDocument);
        BenchSession session(m_base.path(), workDir(), m_manifest);
        session.setRunCap(RunCap);
        session.prepareWorkFolder();
        QFile stale(QDir(workDir()).filePath(QStringLiteral("BAKA-left-over.MDB")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        session.prepareWorkFolder();
        QCOMPARE(QDir(workDir()).entryList(QDir::Files, QDir::Name),
                 QStringList({QStringLiteral("KB97.MDB"), QStringLiteral("blank97.MDB")}));
        QCOMPARE(fileDigest(session.liveDatabasePath()), before);

        ResultTable table;
        measureDocumentOpenSave(session, table);
        QCOMPARE(statusOf(table, "open-paint-1mb"), BenchRow::Status::Measured);
        QCOMPARE(table.row("save-1mb")->allSamples().size(), RunCap);
        session.closeWindow();
        // The saves went to the work copy, not to the base.
        QVERIFY(changeDateIn(session.liveDatabasePath(), m_manifest.oneMegabyteDocument) != baseDate);
        QCOMPARE(fileDigest(baseFile), before);
    }

    void rowsDriveTheRealWindow()
    {
        BenchSession session(m_base.path(), workDir(), m_manifest);
        session.setRunCap(RunCap);
        session.prepareWorkFolder();
        ResultTable table;
        const int searchStructures = searchStructuresIn(session.liveDatabasePath());
        QVERIFY(searchStructures >= 5);
        measureTreeLoad(session, table);
        const int topFolders = session.window().folderTree().model()->rowCount();
        measureTreeExpand(session, table);
        // The wide folder of the expand row is gone again.
        QCOMPARE(session.window().folderTree().model()->rowCount(), topFolders);
        measureFolderSwitch(session, table);
        measureSearch(session, table);
        // The sizes without the index are taken from a copy: the file the
        // later rows use keeps its index.
        QCOMPARE(searchStructuresIn(session.liveDatabasePath()), searchStructures);
        QCOMPARE(statusOf(table, "tree-expand"), BenchRow::Status::Measured);
        QCOMPARE(statusOf(table, "tree-load"), BenchRow::Status::Measured);
        QCOMPARE(table.row("tree-load")->dataSize, QStringLiteral("30 folders"));
        QCOMPARE(statusOf(table, "folder-switch"), BenchRow::Status::Measured);
        QCOMPARE(table.row("folder-switch")->dataSize, QStringLiteral("40 documents"));
        QCOMPARE(session.window().documentList().topLevelItemCount(), 40);
        // The search and its baselines over the same keyword sets, five runs
        // of each keyword for the search, one for the scan.
        QCOMPARE(table.row("search-one-like")->allSamples().size(), 12);
        QCOMPARE(table.row("search-one")->allSamples().size(), 5 * 12);
        QCOMPARE(table.row("search-two")->allSamples().size(), 5 * table.row("search-two-like")->allSamples().size());
        for (const char *id : {"search-two-or", "search-two-chars", "search-index-build"})
            QCOMPARE(statusOf(table, id), BenchRow::Status::Measured);
        QVERIFY(table.limitOf(table.row("search-one")->goals.at(1)));
        const double without = table.row("file-without-search")->allSamples().value(0);
        QVERIFY(without > 0 && table.row("file-with-search")->allSamples().value(0) > without);
        const QString printed = table.render();
        QCOMPARE(printed.count(QStringLiteral("planned by the generator")), 3);
        QVERIFY(!printed.contains(QStringLiteral("MISMATCH")));
    }

    // The yardstick of the start-up row answers on the same pipe and ends
    // on SIGTERM with code 0, as the runner requires of the program.
    void bareWindowReportsAndEndsCleanly()
    {
        const ProgramStart start = startProgram(QStringLiteral(FOLIO_BARE_PATH), 300);
        QVERIFY2(start.error.isEmpty(), qPrintable(start.error));
        QVERIFY(start.readyMs > 0);
        QVERIFY(start.peakKilobytes > 0);
    }

    void missingDataGivesAFailedRowNotAFigure()
    {
        Manifest broken = m_manifest;
        broken.switchFolder = 987654;
        broken.oneMegabyteDocument = 0;
        broken.openSamples = {{}, {}, {}};
        BenchSession session(m_base.path(), workDir(), broken);
        session.setRunCap(RunCap);
        session.prepareWorkFolder();
        ResultTable table;
        measureFolderSwitch(session, table);
        measureDocumentOpenSave(session, table);
        for (const char *id : {"folder-switch", "open-paint-10k", "save-1mb"}) {
            QCOMPARE(statusOf(table, id), BenchRow::Status::Failed);
            QVERIFY(table.row(id)->rounds.isEmpty());
            QVERIFY(!table.row(id)->note.isEmpty());
        }
        QVERIFY(!table.row("type-1mb"));
    }

    // Every open of the run is of a document not opened before; each gives
    // a first paint, a complete layout and a freeze, and the rounds use up
    // the samples instead of opening one twice. Typing goes into the
    // document through the event loop, one character per run.
    void opensAreColdAndTypingReachesTheDocument()
    {
        BenchSession session(m_base.path(), workDir(), m_manifest);
        session.setRunCap(RunCap);
        session.prepareWorkFolder();
        session.setRounds(2);
        ResultTable table;
        measureDocumentOpenSave(session, table);
        for (const char *size : {"10k", "100k", "1mb"}) {
            for (const char *kind : {"open-paint-", "open-layout-", "open-freeze-"}) {
                const QString id = QLatin1String(kind) + QLatin1String(size);
                QCOMPARE(statusOf(table, id), BenchRow::Status::Measured);
                QCOMPARE(table.row(id)->allSamples().size(), 1);
                QVERIFY(table.row(id)->allSamples().first() > 0);
            }
            QVERIFY(table.row(QStringLiteral("open-layout-") + size)->allSamples().first()
                    >= table.row(QStringLiteral("open-freeze-") + size)->allSamples().first() - 1);
        }
        QVERIFY(table.row("open-paint-1mb")->dataSize.contains("cold"));
        // Measured only when the typed characters reached the document; the
        // revision they went into is cancelled, not saved.
        QCOMPARE(statusOf(table, "type-1mb"), BenchRow::Status::Measured);
        QCOMPARE(table.row("type-1mb")->allSamples().size(), RunCap);
        QVERIFY(!session.window().state().isEditing());
        // Keeping the unsaved words: both shares measured, and the file they
        // went to is gone with the cancelled revision.
        QCOMPARE(statusOf(table, "keep-1mb-window"), BenchRow::Status::Measured);
        QCOMPARE(statusOf(table, "keep-1mb-written"), BenchRow::Status::Measured);
        QVERIFY(table.row("keep-1mb-written")->allSamples().first() >= table.row("keep-1mb-window")->allSamples().first());
        session.window().documentPane().recovery().flush();
        QVERIFY(!QFile::exists(QDir(session.window().programDir()).filePath(QStringLiteral("foliok.recovery"))));

        measureDocumentOpenSave(session, table);
        QCOMPARE(table.row("open-paint-100k")->rounds.size(), 2);
        // Two samples of each size, both used: a third round has none left.
        measureDocumentOpenSave(session, table);
        QCOMPARE(statusOf(table, "open-paint-10k"), BenchRow::Status::Failed);
        QVERIFY(table.row("open-paint-10k")->note.contains("not opened before"));
    }

    // The ways to show a long page that the open exploration tries give
    // the same text as the editor's own parse: the first screen is a
    // closed start of the page, the worker's document the whole page.
    void openExplorationShowsTheWholePage()
    {
        const QString html = valueIn(m_base.file(QStringLiteral("KB97.MDB")),
                                     QStringLiteral("SELECT Text FROM DocTable WHERE DocNum = ?"),
                                     m_manifest.openSamples.at(1).first()).toString();
        QVERIFY(!html.isEmpty());
        QTextDocument direct;
        direct.setHtml(html);
        const QString wholeText = direct.toPlainText();

        const QString first = firstScreenOf(html, 16 * 1024);
        QVERIFY(first.size() < html.size());
        QVERIFY(first.endsWith(QStringLiteral("</p></body></html>")));
        QVERIFY(html.startsWith(first.chopped(int(QStringLiteral("</body></html>").size()))));
        QTextDocument start;
        start.setHtml(first);
        QVERIFY(start.toPlainText().size() > 1000);
        QVERIFY(wholeText.startsWith(start.toPlainText()));
        QCOMPARE(firstScreenOf(QStringLiteral("<p>short</p>"), 100), QStringLiteral("<p>short</p>"));

        QObject receiver;
        QTextDocument *parsed = nullptr;
        parseOnWorker(html, &receiver, [&](QTextDocument *document) { parsed = document; });
        QTRY_VERIFY_WITH_TIMEOUT(parsed, 30000);
        QCOMPARE(parsed->thread(), QThread::currentThread());
        QCOMPARE(parsed->toPlainText(), wholeText);
        delete parsed;

        // A receiver gone before the parse ends gets nothing (and nothing leaks into it).
        bool called = false;
        {
            QObject shortLived;
            parseOnWorker(html, &shortLived, [&](QTextDocument *) { called = true; });
        }
        QTest::qWait(2000);
        QVERIFY(!called);
    }

    void fileRowsHoldTheOperationsAgainstTheCopy()
    {
        BenchSession session(m_base.path(), workDir(), m_manifest);
        session.setRunCap(RunCap);
        session.prepareWorkFolder();
        ResultTable table;
        measureFileOperations(session, table);
        QCOMPARE(table.row("file-copy")->allSamples().size(), 2);
        QVERIFY(!QFile::exists(QDir(workDir()).filePath(QStringLiteral("plain-copy.tmp"))));
        const double copyMedian = table.row("file-copy")->stats().medianMedian;
        for (const char *id : {"compaction", "backup", "restore"}) {
            QCOMPARE(statusOf(table, id), BenchRow::Status::Measured);
            QCOMPARE(table.row(id)->allSamples().size(), 1);
        }
        QCOMPARE(table.limitOf(table.row("compaction")->goals.at(0)), std::optional<double>(2 * copyMedian));
        QCOMPARE(table.limitOf(table.row("backup")->goals.at(0)), std::optional<double>(1.2 * copyMedian));
        QCOMPARE(table.limitOf(table.row("restore")->goals.at(0)), std::optional<double>(1.2 * copyMedian));
        // The operations ran on the work folder: one backup at A, no temporary file left.
        QCOMPARE(QDir(workDir()).entryList({"BAKA*.MDB"}, QDir::Files).size(), 1);
        QCOMPARE(QDir(workDir()).entryList({"~*"}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(TestBenchRun)
#include "test_benchrun.moc"
