// The benchmark generator: same settings give the same base, the base has
// the shape the benchmarks rely on, and every page is what the editor writes.

#include "editor/htmleditor.h"
#include "generator/benchrandom.h"
#include "generator/folderplan.h"
#include "generator/htmlcomposer.h"
#include "generator/kbgenerator.h"
#include "generator/manifest.h"
#include "generator/namemaker.h"
#include "generator/vocabulary.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTextDocument>
#include <stdexcept>

using namespace folio::bench;
using folio::test::ProgramFolder;

namespace {

GeneratorConfig smallConfig(quint64 seed)
{
    GeneratorConfig config;
    config.seed = seed;
    config.folders = 40;
    config.documents = 160;
    config.largeDocuments = 2;
    config.switchFolderDocuments = 60;
    config.openSamples = 1;
    return config;
}

Manifest generate(const ProgramFolder &folder, const GeneratorConfig &config, int stopAfter = -1)
{
    return KnowledgeBaseGenerator(config).generate(folder.path(), QStringLiteral(FOLIO_TEMPLATE_PATH), {}, stopAfter);
}

// The manifest as written, without the time the generation took.
QByteArray manifestWithoutTime(const ProgramFolder &folder)
{
    std::optional<Manifest> m = Manifest::read(folder.file(Manifest::fileName()));
    if (!m)
        return {};
    m->generationSeconds = 0;
    const QString copy = folder.file(QStringLiteral("manifest-copy.json"));
    m->write(copy);
    QFile file(copy);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A separate plain connection to a generated KB97.MDB, as another tool would open it.
class RawBase
{
public:
    explicit RawBase(const ProgramFolder &folder)
        : m_name(QStringLiteral("raw-%1").arg(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(folder.file(QStringLiteral("KB97.MDB")));
        db.open();
    }
    ~RawBase() { QSqlDatabase::removeDatabase(m_name); }

    QList<QVariantList> rows(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery q(QSqlDatabase::database(m_name));
        q.prepare(sql);
        for (const QVariant &value : values)
            q.addBindValue(value);
        if (!q.exec())
            qFatal("query failed: %s", qPrintable(sql));
        QList<QVariantList> result;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row.append(q.value(i));
            result.append(row);
        }
        return result;
    }
    qint64 number(const QString &sql, const QVariantList &values = {}) const
    {
        return rows(sql, values).value(0).value(0).toLongLong();
    }
    QByteArray digest() const
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const QString &sql : {QStringLiteral("SELECT * FROM DirTable ORDER BY DirNum"),
                                   QStringLiteral("SELECT * FROM DocTable ORDER BY DocNum")})
            for (const QVariantList &row : rows(sql))
                for (const QVariant &value : row)
                    hash.addData(value.toString().toUtf8() + '\x1f');
        return hash.result().toHex();
    }

private:
    QString m_name;
};

} // namespace

class TestBenchGen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameSettingsGiveTheSameBase()
    {
        ProgramFolder first, second, otherSeed;
        const Manifest a = generate(first, smallConfig(7));
        const Manifest b = generate(second, smallConfig(7));
        generate(otherSeed, smallConfig(8));
        QCOMPARE(RawBase(first).digest(), RawBase(second).digest());
        QCOMPARE(a.switchFolder, b.switchFolder);
        QCOMPARE(a.oneMegabyteDocument, b.oneMegabyteDocument);
        QCOMPARE(a.htmlBytes, b.htmlBytes);
        QVERIFY(RawBase(first).digest() != RawBase(otherSeed).digest());
    }

    void folderTreeHasTheShapeAsked()
    {
        ProgramFolder folder;
        const GeneratorConfig config = smallConfig(3);
        const Manifest m = generate(folder, config);
        const RawBase base(folder);
        QCOMPARE(base.number("SELECT COUNT(*) FROM DirTable"), qint64(config.folders));
        QCOMPARE(base.number("SELECT COUNT(*) FROM DocTable"), qint64(config.documents));
        // Top-level exactly when the parent is 0, and every parent exists.
        QCOMPARE(base.number("SELECT COUNT(*) FROM DirTable WHERE (Attr = 'R') <> (Parent = 0)"), 0);
        QCOMPARE(base.number("SELECT COUNT(*) FROM DirTable d WHERE Parent <> 0 AND NOT EXISTS "
                             "(SELECT 1 FROM DirTable p WHERE p.DirNum = d.Parent)"), 0);
        QCOMPARE(base.number("SELECT COUNT(*) FROM DocTable d WHERE NOT EXISTS "
                             "(SELECT 1 FROM DirTable f WHERE f.DirNum = d.DirNum)"), 0);
        const qint64 deepest = base.number(
            "WITH RECURSIVE walk(num, depth) AS (SELECT DirNum, 1 FROM DirTable WHERE Parent = 0 "
            "UNION ALL SELECT d.DirNum, w.depth + 1 FROM DirTable d JOIN walk w ON d.Parent = w.num) "
            "SELECT MAX(depth) FROM walk");
        QCOMPARE(deepest, qint64(config.maxDepth));
        QCOMPARE(m.deepestLevel, config.maxDepth);

        QCOMPARE(base.number("SELECT COUNT(*) FROM DocTable WHERE DirNum = ?", {m.switchFolder}),
                 qint64(config.switchFolderDocuments));
        QCOMPARE(base.rows("SELECT DirName FROM DirTable WHERE DirNum = ?", {m.switchFolder}).value(0).value(0).toString(),
                 FolderPlan::switchFolderName());
    }

    // Giving a stored page to the editor and taking its HTML back changes
    // nothing: the pages are exactly what the editor writes.
    void pagesAreWhatTheEditorWrites()
    {
        ProgramFolder folder;
        generate(folder, smallConfig(11));
        folio::HtmlEditor editor;
        int checked = 0;
        for (const QVariantList &row : RawBase(folder).rows("SELECT DocNum, Text FROM DocTable ORDER BY DocNum")) {
            const QString html = row.value(1).toString();
            editor.setDocumentHtml(html);
            QVERIFY2(editor.documentHtml() == html, qPrintable(QStringLiteral("document %1").arg(row.value(0).toLongLong())));
            ++checked;
        }
        QCOMPARE(checked, smallConfig(11).documents);
    }

    void sizesAndSearchWordsAreAsPlanned()
    {
        ProgramFolder folder;
        const GeneratorConfig config = smallConfig(13);
        const Manifest m = generate(folder, config);
        const RawBase base(folder);
        const qint64 megabyte = 1024 * 1024;
        QVERIFY(qAbs(m.oneMegabyteBytes - megabyte) < megabyte / 50);
        QCOMPARE(base.number("SELECT LENGTH(CAST(Text AS BLOB)) FROM DocTable WHERE DocNum = ?", {m.oneMegabyteDocument}),
                 m.oneMegabyteBytes);
        QCOMPARE(base.number("SELECT COUNT(*) FROM DocTable WHERE LENGTH(CAST(Text AS BLOB)) >= ?", {megabyte * 98 / 100}),
                 qint64(config.largeDocuments + config.openSamples));
        QCOMPARE(base.number("SELECT COUNT(*) FROM DocTable WHERE LENGTH(Text) < ?", {config.smallestDocument}), 0);
        QCOMPARE(base.number("SELECT SUM(LENGTH(CAST(Text AS BLOB))) FROM DocTable"), m.htmlBytes);

        // Each search word is where the generator put it and nowhere else.
        auto holding = [&](const QString &word) {
            return int(base.number("SELECT COUNT(*) FROM DocTable WHERE Text LIKE ?", {'%' + word + '%'}));
        };
        QCOMPARE(holding(KeywordOne), m.keywordOneDocuments);
        QCOMPARE(holding(KeywordTwo), m.keywordTwoDocuments);
        QCOMPARE(holding(KeywordTwoCharacters), m.twoCharacterDocuments);
        QCOMPARE(int(base.number("SELECT COUNT(*) FROM DocTable WHERE Text LIKE ? AND Text LIKE ?",
                                 {'%' + KeywordOne + '%', '%' + KeywordTwo + '%'})),
                 m.bothKeywordsDocuments);
        QVERIFY(m.keywordOneDocuments + m.keywordTwoDocuments + m.twoCharacterDocuments > 0);
    }

    // A generation that stops goes on from its checkpoint when started
    // again, and ends with the same base and manifest as one that never
    // stopped; also when the last transaction was committed but its
    // checkpoint not yet written.
    void interruptedGenerationGoesOn()
    {
        GeneratorConfig config = smallConfig(19);
        config.largeDocuments = 0;   // no 1-5 MB pages: the test makes this base six times
        ProgramFolder whole, stopped, lostCheckpoint;
        generate(whole, config);

        const Manifest partial = generate(stopped, config, 70);
        QCOMPARE(partial.documentsWritten, 70);
        QVERIFY(!QFile::exists(stopped.file(Manifest::fileName())));
        QVERIFY(QFile::exists(stopped.file(Manifest::checkpointName())));
        QCOMPARE(RawBase(stopped).number("SELECT COUNT(*) FROM DocTable"), 70);
        const Manifest finished = generate(stopped, config);
        QCOMPARE(finished.documentsWritten, config.documents);
        QVERIFY(!QFile::exists(stopped.file(Manifest::checkpointName())));
        QCOMPARE(RawBase(stopped).digest(), RawBase(whole).digest());
        QCOMPARE(manifestWithoutTime(stopped), manifestWithoutTime(whole));

        generate(lostCheckpoint, config, 50);
        QFile::copy(lostCheckpoint.file(Manifest::checkpointName()), lostCheckpoint.file(QStringLiteral("older.json")));
        generate(lostCheckpoint, config, 100);
        QFile::remove(lostCheckpoint.file(Manifest::checkpointName()));
        QFile::rename(lostCheckpoint.file(QStringLiteral("older.json")), lostCheckpoint.file(Manifest::checkpointName()));
        generate(lostCheckpoint, config);
        QCOMPARE(RawBase(lostCheckpoint).digest(), RawBase(whole).digest());
        QCOMPARE(manifestWithoutTime(lostCheckpoint), manifestWithoutTime(whole));

        // A checkpoint that claims more than the base holds is not trusted:
        // the base is made anew.
        ProgramFolder overclaimed;
        generate(overclaimed, config, 40);
        std::optional<Manifest> claim = Manifest::read(overclaimed.file(Manifest::checkpointName()));
        QVERIFY(claim);
        claim->documentsWritten = 120;
        QVERIFY(claim->write(overclaimed.file(Manifest::checkpointName())));
        generate(overclaimed, config);
        QCOMPARE(RawBase(overclaimed).digest(), RawBase(whole).digest());
        QCOMPARE(manifestWithoutTime(overclaimed), manifestWithoutTime(whole));

        // A checkpoint of other settings is not gone on from: the base is made anew.
        ProgramFolder other;
        GeneratorConfig otherConfig = config;
        otherConfig.seed = 20;
        generate(other, otherConfig, 60);
        generate(other, config);
        QCOMPARE(RawBase(other).digest(), RawBase(whole).digest());
    }

    void manifestDecidesReuse()
    {
        ProgramFolder folder;
        const GeneratorConfig config = smallConfig(21);
        const Manifest made = generate(folder, config);
        const std::optional<Manifest> read = Manifest::read(folder.file(Manifest::fileName()));
        QVERIFY(read);
        QVERIFY(read->describes(config));
        QCOMPARE(read->switchFolder, made.switchFolder);
        QCOMPARE(read->oneMegabyteDocument, made.oneMegabyteDocument);
        QCOMPARE(read->fileBytes, QFileInfo(folder.file(QStringLiteral("KB97.MDB"))).size());
        GeneratorConfig other = config;
        other.seed = 22;
        QVERIFY(!read->describes(other));
        other = config;
        other.documents += 1;
        QVERIFY(!read->describes(other));
        Manifest older = *read;
        older.generatorVersion = Manifest::CurrentGeneratorVersion - 1;
        QVERIFY(!older.describes(config));
    }

    // Settings that cannot be met are refused before anything is written,
    // and a failed run leaves no manifest that would pass for a finished base.
    void refusesImpossibleSettings()
    {
        ProgramFolder folder;
        generate(folder, smallConfig(1));
        GeneratorConfig impossible = smallConfig(1);
        impossible.switchFolderDocuments = impossible.documents;
        QVERIFY(!impossible.problem().isEmpty());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, generate(folder, impossible));
        QVERIFY(QFile::exists(folder.file(Manifest::fileName())));

        impossible = smallConfig(1);
        impossible.openSamples = impossible.documents / 3;   // with the switch folder, more than there are
        QVERIFY(!impossible.problem().isEmpty());
        impossible.openSamples = -1;
        QVERIFY(!impossible.problem().isEmpty());
        impossible = smallConfig(1);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 KnowledgeBaseGenerator(impossible).generate(folder.path(), folder.file("missing.MDB")));
        QVERIFY(!QFile::exists(folder.file(Manifest::fileName())));
        QVERIFY(!GeneratorConfig::fromPreset(QStringLiteral("enormous")));
        QVERIFY(GeneratorConfig::fromPreset(QStringLiteral("huge"))->problem().isEmpty());
    }

};

QTEST_MAIN(TestBenchGen)
#include "test_benchgen.moc"
