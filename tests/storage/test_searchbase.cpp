// The search on a generated knowledge base gives exactly what a plain
// case-insensitive substring scan of each title and visible text gives, for
// every word the generator uses, in other case, cut short, and for words
// that occur only in the markup: by the index, and by reading the pages
// while rows wait for the index.

#include "generator/kbgenerator.h"
#include "generator/vocabulary.h"
#include "storage/database.h"
#include "storage/documentsearch.h"
#include "storage/searchindex.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QTest>
#include <QTextDocument>

using namespace folio;
using namespace folio::bench;
using folio::test::ProgramFolder;

namespace {

struct ShownDocument
{
    DocNum num;
    QString title;
    QString text;   // as the editor shows it
};

} // namespace

class TestSearchBase : public QObject
{
    Q_OBJECT

    ProgramFolder m_folder;
    std::unique_ptr<Database> m_db;
    QList<ShownDocument> m_shown;

    bool holds(const ShownDocument &d, const QString &keyword) const
    {
        return d.title.contains(keyword, Qt::CaseInsensitive) || d.text.contains(keyword, Qt::CaseInsensitive);
    }

    QList<DocNum> scan(const QString &k1, const QString &k2, KeywordJoin join) const
    {
        QList<DocNum> found;
        for (const ShownDocument &d : m_shown) {
            const bool first = holds(d, k1);
            const bool match = k2.isEmpty() ? first
                : join == KeywordJoin::And ? first && holds(d, k2) : first || holds(d, k2);
            if (match)
                found << d.num;
        }
        return found;
    }

    QList<DocNum> search(const QString &k1, const QString &k2, KeywordJoin join) const
    {
        QList<DocNum> found;
        for (const FoundDocument &d : DocumentSearch(*m_db).findDocuments({k1, k2, join}))
            found << d.num;
        return found;
    }

    // Every keyword checked, upper-cased and cut to two and one characters.
    QStringList keywords() const
    {
        QStringList words = Vocabulary().words();
        words << KeywordOne << KeywordTwo << KeywordTwoCharacters << QStringLiteral("margin")
              << QStringLiteral("font-weight") << QStringLiteral("span") << QStringLiteral("style")
              << QStringLiteral("px;") << QStringLiteral("&amp;") << QStringLiteral("a b") << QStringLiteral("'s ");
        QStringList all;
        for (const QString &w : std::as_const(words))
            all << w << w.toUpper() << w.left(2) << w.right(1);
        all.removeDuplicates();
        return all;
    }

    // The index caught up, or every row waiting for it (the search reads).
    bool useIndex(bool current)
    {
        QSqlQuery q(m_db->connection());
        if (current)
            SearchIndex(m_db->connection()).catchUp();
        else if (!q.exec(QStringLiteral("INSERT OR IGNORE INTO DocTextPending (DocNum) SELECT DocNum FROM DocTable")))
            return false;
        return DocumentSearch(*m_db).indexIsCurrent() == current;
    }

private Q_SLOTS:
    void initTestCase()
    {
        GeneratorConfig config;
        config.seed = 17;
        config.folders = 12;
        config.documents = 150;
        config.largeDocuments = 0;
        config.switchFolderDocuments = 20;
        KnowledgeBaseGenerator(config).generate(m_folder.path(), QStringLiteral(FOLIO_TEMPLATE_PATH));
        m_db = std::make_unique<Database>(m_folder.path());
        QVERIFY(m_db->open().ok());
        QSqlQuery q(m_db->connection());
        QVERIFY(q.exec(QStringLiteral("SELECT DocNum, DocName, Text FROM DocTable ORDER BY DocNum")));
        while (q.next()) {
            QTextDocument shown;
            shown.setHtml(q.value(2).toString());
            m_shown.append({q.value(0).toLongLong(), q.value(1).toString(), shown.toPlainText()});
        }
        QCOMPARE(m_shown.size(), 150);
    }

    // Reading every page for each of a thousand words takes minutes: the
    // reading path is checked on every sixteenth.
    void everyKeywordFindsWhatAScanFinds_data()
    {
        QTest::addColumn<bool>("byIndex");
        QTest::addColumn<int>("stride");
        QTest::newRow("index") << true << 1;
        QTest::newRow("reading") << false << 16;
    }

    void everyKeywordFindsWhatAScanFinds()
    {
        QFETCH(bool, byIndex);
        QFETCH(int, stride);
        QVERIFY(useIndex(byIndex));
        const QStringList words = keywords();
        int nonEmpty = 0;
        for (qsizetype i = 0; i < words.size(); i += stride) {
            const QList<DocNum> expected = scan(words[i], {}, KeywordJoin::And);
            QCOMPARE(search(words[i], {}, KeywordJoin::And), expected);
            nonEmpty += expected.isEmpty() ? 0 : 1;
        }
        QVERIFY(nonEmpty > 300 / stride);  // the comparison is not between empty lists
        QVERIFY(scan(QStringLiteral("margin"), {}, KeywordJoin::And).isEmpty());
        QVERIFY(!scan(KeywordOne, {}, KeywordJoin::And).isEmpty());
    }

    void pairsFindWhatAScanFinds_data() { everyKeywordFindsWhatAScanFinds_data(); }

    void pairsFindWhatAScanFinds()
    {
        QFETCH(bool, byIndex);
        QFETCH(int, stride);
        QVERIFY(useIndex(byIndex));
        const QStringList words = keywords();
        for (int i = 0; i + 7 < words.size(); i += 7 * stride) {
            for (KeywordJoin join : {KeywordJoin::And, KeywordJoin::Or}) {
                const QString &k1 = words[i];
                const QString &k2 = words[i + 7];
                QCOMPARE(search(k1, k2, join), scan(k1, k2, join));
            }
        }
        QCOMPARE(search(KeywordOne, KeywordTwo, KeywordJoin::And), scan(KeywordOne, KeywordTwo, KeywordJoin::And));
    }
};

QTEST_MAIN(TestSearchBase)
#include "test_searchbase.moc"
