// The base written for the peer programs: the same tree of folders and
// documents as a CherryTree file and as a Zim notebook, texts without
// markup, and a subset of the same shape.

#include "generator/kbgenerator.h"
#include "peers/peerexport.h"
#include "support/testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace folio::bench;
using folio::test::ProgramFolder;

namespace {

qint64 number(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next())
        qFatal("query failed: %s", qPrintable(sql));
    return q.value(0).toLongLong();
}

QStringList pagesIn(const QString &dir)
{
    QStringList pages;
    for (QDirIterator it(dir, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        pages.append(it.next());
    return pages;
}

} // namespace

class TestBenchPeers : public QObject
{
    Q_OBJECT

    ProgramFolder m_base;
    ProgramFolder m_out;
    GeneratorConfig m_config;
    QSqlDatabase m_source;

private Q_SLOTS:
    void initTestCase()
    {
        m_config.folders = 100;
        m_config.documents = 80;
        m_config.largeDocuments = 1;
        m_config.switchFolderDocuments = 20;
        m_config.openSamples = 1;
        KnowledgeBaseGenerator(m_config).generate(m_base.path(), QStringLiteral(FOLIO_TEMPLATE_PATH));
        m_source = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("base"));
        m_source.setDatabaseName(m_base.file(QStringLiteral("KB97.MDB")));
        QVERIFY(m_source.open());
    }

    void cherryTreeHoldsTheWholeTree()
    {
        const QString path = m_out.file(QStringLiteral("bench.ctb"));
        const PeerExportSummary summary = PeerExport(m_source).writeCherryTree(path);
        QCOMPARE(summary.folders, m_config.folders);
        QCOMPARE(summary.documents, m_config.documents);
        {
            QSqlDatabase ctb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ctb"));
            ctb.setDatabaseName(path);
            QVERIFY(ctb.open());
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM node"), qint64(m_config.folders + m_config.documents));
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM children"), qint64(m_config.folders + m_config.documents));
            // Every father is a node or the root, and the top-level nodes
            // are the top-level folders.
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM children c WHERE father_id <> 0 AND NOT EXISTS "
                                 "(SELECT 1 FROM node n WHERE n.node_id = c.father_id)"), 0);
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM children WHERE father_id = 0"),
                     number(m_source, "SELECT COUNT(*) FROM DirTable WHERE Parent = 0"));
            // Siblings are numbered 1, 2, … under each father.
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM (SELECT father_id FROM children GROUP BY father_id "
                                 "HAVING MIN(sequence) <> 1 OR MAX(sequence) <> COUNT(*))"), 0);
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM node WHERE txt LIKE '%<p%' OR txt LIKE '%&amp;%'"), 0);
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM node WHERE syntax <> 'plain-text' OR is_richtxt <> 0"), 0);
            // The titles are the documents' titles.
            QSqlQuery q(ctb);
            q.exec(QStringLiteral("SELECT name FROM node ORDER BY node_id LIMIT -1 OFFSET %1").arg(m_config.folders));
            QSqlQuery titles(m_source);
            titles.exec(QStringLiteral("SELECT DocName FROM DocTable ORDER BY DocNum"));
            while (q.next() && titles.next())
                QCOMPARE(q.value(0).toString(), titles.value(0).toString());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("ctb"));
    }

    void zimHasAPagePerFolderAndDocument()
    {
        const QString dir = m_out.file(QStringLiteral("zim"));
        const PeerExportSummary summary = PeerExport(m_source).writeZim(dir);
        QCOMPARE(summary.documents, m_config.documents);
        QVERIFY(QFile::exists(QDir(dir).filePath(QStringLiteral("notebook.zim"))));
        const QStringList pages = pagesIn(dir);
        QCOMPARE(pages.size(), 1 + m_config.folders + m_config.documents);   // with Home
        for (const QString &page : pages) {
            // Every part of a page's name starts with a letter or digit.
            for (const QString &part : QDir(dir).relativeFilePath(page).split(QLatin1Char('/')))
                QVERIFY2(part.at(0).isLetterOrNumber(), qPrintable(page));
            QFile file(page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QVERIFY(text.startsWith(QStringLiteral("Content-Type: text/x-zim-wiki\nWiki-Format: zim 0.6\n")));
            QVERIFY(text.contains(QStringLiteral("\n====== ")));
            QVERIFY(!text.contains(QStringLiteral("</p>")));
        }
        // A document's page lies in the folder of its folder's page.
        QSqlQuery q(m_source);
        q.exec(QStringLiteral("SELECT d.DocNum, d.DocName, f.DirNum, f.DirName FROM DocTable d "
                              "JOIN DirTable f ON f.DirNum = d.DirNum ORDER BY d.DocNum LIMIT 5"));
        while (q.next()) {
            const QString page = PeerExport::fileNameFor(q.value(1).toString(), QStringLiteral("d%1").arg(q.value(0).toLongLong()));
            const QString folder = PeerExport::fileNameFor(q.value(3).toString(), QStringLiteral("f%1").arg(q.value(2).toLongLong()));
            const auto found = std::find_if(pages.cbegin(), pages.cend(),
                                            [&](const QString &p) { return p.endsWith(QLatin1Char('/') + page + ".txt"); });
            QVERIFY(found != pages.cend());
            QVERIFY(found->endsWith(folder + QLatin1Char('/') + page + ".txt"));
        }
        // Written again, the notebook is replaced, not added to.
        PeerExport(m_source).writeZim(dir);
        QCOMPARE(pagesIn(dir).size(), pages.size());
    }

    void subsetKeepsWholeSubtrees()
    {
        const QString path = m_out.file(QStringLiteral("half.ctb"));
        const PeerExportSummary half = PeerExport(m_source, 2).writeCherryTree(path);
        const qint64 topLevel = number(m_source, "SELECT COUNT(*) FROM DirTable WHERE Parent = 0");
        QVERIFY2(topLevel >= 2, qPrintable(QString::number(topLevel)));
        QVERIFY(half.folders > 0 && half.folders < m_config.folders);
        QVERIFY(half.documents < m_config.documents);
        {
            QSqlDatabase ctb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("half"));
            ctb.setDatabaseName(path);
            QVERIFY(ctb.open());
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM children WHERE father_id = 0"), (topLevel + 1) / 2);
            QCOMPARE(number(ctb, "SELECT COUNT(*) FROM children c WHERE father_id <> 0 AND NOT EXISTS "
                                 "(SELECT 1 FROM node n WHERE n.node_id = c.father_id)"), 0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("half"));
    }
};

QTEST_MAIN(TestBenchPeers)
#include "test_benchpeers.moc"
