// The runner's measurements on a small generated base: they drive the real
// window on a copy of the base, report what they measured (and fail
// visibly, never with a figure, when the data is not there), and leave the
// base as it was. No timing is checked here.

#include "app/mainwindow.h"
#include "doclist/documentlist.h"
#include "generator/kbgenerator.h"
#include "runner/benchsession.h"
#include "runner/documentbench.h"
#include "runner/filebench.h"
#include "runner/resulttable.h"
#include "runner/searchbench.h"
#include "runner/windowbench.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace folio::bench;
using folio::test::ProgramFolder;

namespace {

QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

QString changeDateIn(const QString &database, qint64 docNum)
{
    QString changed;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(database);
        db.open();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT ChgDate FROM DocTable WHERE DocNum = ?"));
        q.addBindValue(docNum);
        q.exec();
        if (q.next())
            changed = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return changed;
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
        m_manifest = KnowledgeBaseGenerator(config).generate(m_base.path(), QStringLiteral(FOLIO_TEMPLATE_PATH));
    }

    void workFolderIsAFreshCopyAndTheBaseStaysAsItWas()
    {
        const QString baseFile = m_base.file(QStringLiteral("KB97.MDB"));
        const QByteArray before = fileDigest(baseFile);
        const QString baseDate = changeDateIn(baseFile, m_manifest.oneMegabyteDocument);
        BenchSession session(m_base.path(), workDir(), m_manifest);
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
        QCOMPARE(statusOf(table, "open-1mb"), BenchRow::Status::Measured);
        QCOMPARE(table.row("save-1mb")->samples.size(), 100);
        session.closeWindow();
        // The saves went to the work copy, not to the base.
        QVERIFY(changeDateIn(session.liveDatabasePath(), m_manifest.oneMegabyteDocument) != baseDate);
        QCOMPARE(fileDigest(baseFile), before);
    }

    void rowsDriveTheRealWindow()
    {
        BenchSession session(m_base.path(), workDir(), m_manifest);
        session.prepareWorkFolder();
        ResultTable table;
        measureTreeLoad(session, table);
        measureFolderSwitch(session, table);
        measureSearch(session, table);
        QCOMPARE(statusOf(table, "tree-load"), BenchRow::Status::Measured);
        QCOMPARE(table.row("tree-load")->dataSize, QStringLiteral("30 folders"));
        QCOMPARE(statusOf(table, "folder-switch"), BenchRow::Status::Measured);
        QCOMPARE(table.row("folder-switch")->dataSize, QStringLiteral("40 documents"));
        QCOMPARE(session.window().documentList().topLevelItemCount(), 40);
        for (const char *id : {"search-one-like", "search-two-like", "search-two-chars-like"})
            QCOMPARE(table.row(id)->samples.size(), 5);
        // The search is not built: no figure, but its goal already has the
        // baseline's limit to be held against.
        QCOMPARE(statusOf(table, "search-one"), BenchRow::Status::NotBuiltYet);
        QVERIFY(table.row("search-one")->samples.isEmpty());
        QVERIFY(table.limitOf(table.row("search-one")->goals.at(1)));
        const QString printed = table.render();
        QCOMPARE(printed.count(QStringLiteral("planned by the generator")), 3);
        QVERIFY(!printed.contains(QStringLiteral("MISMATCH")));
    }

    void missingDataGivesAFailedRowNotAFigure()
    {
        Manifest broken = m_manifest;
        broken.switchFolder = 987654;
        broken.oneMegabyteDocument = 0;
        BenchSession session(m_base.path(), workDir(), broken);
        session.prepareWorkFolder();
        ResultTable table;
        measureFolderSwitch(session, table);
        measureDocumentOpenSave(session, table);
        for (const char *id : {"folder-switch", "open-1mb"}) {
            QCOMPARE(statusOf(table, id), BenchRow::Status::Failed);
            QVERIFY(table.row(id)->samples.isEmpty());
            QVERIFY(!table.row(id)->note.isEmpty());
        }
        QVERIFY(!table.row("save-1mb"));
    }

    void fileRowsHoldTheOperationsAgainstTheCopy()
    {
        BenchSession session(m_base.path(), workDir(), m_manifest);
        session.prepareWorkFolder();
        ResultTable table;
        measureFileOperations(session, table);
        QCOMPARE(table.row("file-copy")->samples.size(), 5);
        QVERIFY(!QFile::exists(QDir(workDir()).filePath(QStringLiteral("plain-copy.tmp"))));
        const double copyMedian = table.row("file-copy")->stats().median;
        for (const char *id : {"compaction", "backup"}) {
            QCOMPARE(statusOf(table, id), BenchRow::Status::NotBuiltYet);
            QCOMPARE(table.limitOf(table.row(id)->goals.at(0)), std::optional<double>(copyMedian));
        }
        QCOMPARE(statusOf(table, "restore"), BenchRow::Status::NotBuiltYet);
    }
};

QTEST_MAIN(TestBenchRun)
#include "test_benchrun.moc"
