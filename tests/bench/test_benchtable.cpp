// The runner's figures: statistics of the samples, rows measured in rounds,
// goals (fixed and relative to a baseline measured in the same run) judged
// on the rounds, the printed table, the kept results and their charts.

#include "runner/benchcharts.h"
#include "runner/resultstore.h"
#include "runner/resulttable.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace folio::bench;

namespace {

QList<double> oneTo(int n)
{
    QList<double> values;
    for (int i = n; i >= 1; --i)   // unsorted on purpose
        values.append(i);
    return values;
}

QString lineOf(const QString &table, const QString &operation)
{
    for (const QString &line : table.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("| ") + operation + QLatin1Char(' ')))
            return line;
    return {};
}

// A row measured in rounds whose medians are the given values.
void addRounds(ResultTable &table, const QString &id, const QList<double> &medians, QList<Goal> goals = {})
{
    for (double median : medians)
        table.add(BenchRow::measured(id, id, "", {median - 1, median, median + 1}, goals));
}

GoalCheck::Verdict verdictOf(const ResultTable &table, const QString &id, int goal = 0)
{
    return table.checks(*table.row(id)).at(goal).verdict;
}

} // namespace

class TestBenchTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statisticsOfSamples()
    {
        const Stats odd = Stats::of({5, 1, 3});
        QCOMPARE(odd.median, 3.0);
        QCOMPARE(odd.min, 1.0);
        QCOMPARE(odd.max, 5.0);
        QCOMPARE(Stats::of({4, 1, 3, 2}).median, 2.5);
        // Interpolated between the samples around 0.99 × (n − 1): not simply
        // the second-largest of a hundred.
        QCOMPARE(Stats::of(oneTo(100)).p99, 99.01);
        QCOMPARE(Stats::of({2, 9, 4}).p99, 8.9);
        QCOMPARE(Stats::of({7}).p99, 7.0);
        QCOMPARE(Stats::of({}).count, 0);
        int calls = 0, prepared = 0;
        const QList<double> times = timeRuns(4, [&] { ++calls; }, [&] { ++prepared; });
        QCOMPARE(times.size(), 4);
        QCOMPARE(calls, 4);
        QCOMPARE(prepared, 4);
    }

    void roundsOfOneRow()
    {
        const RoundStats s = RoundStats::of({{1, 2, 3}, {10, 20, 30}, {}, {4, 5, 6}});
        QCOMPARE(s.rounds, 3);   // an empty round does not count
        QCOMPARE(s.samples, 9);
        QCOMPARE(s.roundMedians, QList<double>({2, 20, 5}));
        QCOMPARE(s.minMedian, 2.0);
        QCOMPARE(s.medianMedian, 5.0);
        QCOMPARE(s.maxMedian, 20.0);
        QVERIFY(!s.p99);   // too few runs for a 99th percentile
        QList<QList<double>> many(5, oneTo(200));
        many[4] = QList<double>(200, 1000.0);   // one slow round shows in the pooled p99
        const RoundStats pooled = RoundStats::of(many);
        QCOMPARE(pooled.samples, 1000);
        QVERIFY(pooled.p99);
        QCOMPARE(*pooled.p99, 1000.0);
        QCOMPARE(pooled.medianMedian, 100.5);
        QCOMPARE(RoundStats::of({}).rounds, 0);
    }

    void laterRoundsJoinTheRowFailuresReplaceIt()
    {
        ResultTable table;
        table.add(BenchRow::measured("a", "a", "1 MB", {1, 2}));
        table.add(BenchRow::measured("a", "a", "1 MB", {3}));
        QCOMPARE(table.rows().size(), 1);
        QCOMPARE(table.row("a")->rounds, QList<QList<double>>({{1, 2}, {3}}));
        QCOMPARE(table.row("a")->allSamples(), QList<double>({1, 2, 3}));

        table.add(BenchRow::failed("a", "a", "the window went away"));
        table.add(BenchRow::measured("a", "a", "1 MB", {4}));
        QCOMPARE(table.row("a")->status, BenchRow::Status::Failed);
        QVERIFY(table.row("a")->rounds.isEmpty());
        QCOMPARE(table.row("a")->note, QStringLiteral("the window went away"));

        table.add(BenchRow::notBuiltYet("later", "later", ""));
        table.add(BenchRow::notBuiltYet("later", "later", ""));
        QCOMPARE(table.rows().size(), 2);
        table.addNote("5 found");
        table.addNote("5 found");
        QCOMPARE(table.render().count("5 found"), 1);
    }

    void verdictFromTheRoundMedians()
    {
        ResultTable table;
        const QList<Goal> under10{Goal::below(10, "< 10 ms")};
        addRounds(table, "met", {6, 7, 8, 9, 10}, under10);        // slowest round on the limit
        addRounds(table, "missed", {11, 12, 30, 13, 14}, under10); // fastest round over it
        addRounds(table, "unclear", {5, 6, 7, 8, 11}, under10);    // one round over
        addRounds(table, "few", {1, 1, 1, 1}, under10);            // four rounds only
        QCOMPARE(verdictOf(table, "met"), GoalCheck::Verdict::Met);
        QCOMPARE(verdictOf(table, "missed"), GoalCheck::Verdict::Missed);
        QCOMPARE(verdictOf(table, "unclear"), GoalCheck::Verdict::Unclear);
        QCOMPARE(verdictOf(table, "few"), GoalCheck::Verdict::Unclear);
        const GoalCheck unclear = table.checks(*table.row("unclear")).at(0);
        QCOMPARE(*unclear.lowRatio, 0.5);
        QCOMPARE(*unclear.highRatio, 1.1);
        const QString text = table.render();
        QVERIFY(lineOf(text, "met").contains("0.60–1.00 met"));
        QVERIFY(lineOf(text, "missed").contains("1.10–3.00 MISSED"));
        QVERIFY(lineOf(text, "unclear").contains("0.50–1.10 unclear"));
        QVERIFY(lineOf(text, "few").contains("unclear"));
    }

    void goalsRelativeToBaselines()
    {
        ResultTable table;
        addRounds(table, "scan", {200, 220, 180, 400, 100});   // median of the round medians: 200
        addRounds(table, "fast", {10, 12, 14, 11, 13},
                  {Goal::below(40, "< 40 ms"), Goal::relativeTo("scan", 0.1, "10x faster")});
        addRounds(table, "orphan", {1, 1, 1, 1, 1}, {Goal::relativeTo("nowhere", 1, "as fast")});
        const BenchRow &fast = *table.row("fast");
        QCOMPARE(table.limitOf(fast.goals.at(1)), std::optional<double>(20.0));
        QCOMPARE(verdictOf(table, "fast", 0), GoalCheck::Verdict::Met);
        QCOMPARE(verdictOf(table, "fast", 1), GoalCheck::Verdict::Met);
        QCOMPARE(*table.checks(fast).at(1).highRatio, 14.0 / 20);
        // A baseline that was not measured gives no limit, and no verdict of "met".
        QCOMPARE(verdictOf(table, "orphan"), GoalCheck::Verdict::NoLimit);
        QVERIFY(lineOf(table.render(), "orphan").contains("no limit"));
        QVERIFY(lineOf(table.render(), "fast").contains("0.25–0.35 met / 0.50–0.70 met"));

        table.add(BenchRow::notBuiltYet("late", "late", "", {Goal::relativeTo("scan", 1, "as fast")}));
        addRounds(table, "relative", {5, 5, 5, 5, 5}, {Goal::relativeTo("late", 1, "as fast")});
        QCOMPARE(verdictOf(table, "relative"), GoalCheck::Verdict::NoLimit);
    }

    // Each round's program median over the same round's bare median, judged
    // like any row on those per-round ratios.
    void ratioOfEachRoundJudged()
    {
        ResultTable table;
        const QList<Goal> goal{Goal::below(1.5, "≤ 1.5×")};
        auto addRatios = [&](const QString &id, const QList<double> &programMedians) {
            for (double median : programMedians)
                table.add(BenchRow::ratioOfRound(id, id, "", {median + 5, median, median - 5}, {40, 50, 60}, goal));
        };
        addRatios("met", {60, 65, 70, 75, 70});
        addRatios("missed", {80, 90, 100, 120, 80});
        addRatios("unclear", {60, 60, 60, 60, 80});
        QCOMPARE(table.row("met")->rounds, QList<QList<double>>({{1.2}, {1.3}, {1.4}, {1.5}, {1.4}}));
        QCOMPARE(verdictOf(table, "met"), GoalCheck::Verdict::Met);
        QCOMPARE(verdictOf(table, "missed"), GoalCheck::Verdict::Missed);
        QCOMPARE(verdictOf(table, "unclear"), GoalCheck::Verdict::Unclear);
        QVERIFY(lineOf(table.render(), "met").contains("1.40×"));
        QCOMPARE(BenchRow::ratioOfRound("r", "r", "", {50}, {}).status, BenchRow::Status::Failed);
        QCOMPARE(BenchRow::ratioOfRound("r", "r", "", {50}, {0}).status, BenchRow::Status::Failed);
    }

    // A later run of some rows replaces those and keeps the rest; the
    // chart draws a line per row with its points in the order of the size
    // of the base, and names what a base lacks.
    void keptResultsAndTheirChart()
    {
        QTemporaryDir dir;
        ResultTable first;
        addRounds(first, "startup", {50, 60, 70});
        addRounds(first, "tree-load", {5});
        first.add(BenchRow::measured("bare-memory", "memory", "", {30}, {}, Unit::Megabytes));
        first.add(BenchRow::failed("folder-switch", "switch", "no folder"));
        SavedResults large{"large", 1, 10000, 30000, savedRowsOf(first, "2026-12-07T19:00:00Z", "1.0 → 1.1")};
        QCOMPARE(large.rows.size(), 3);   // the failed row is not kept
        QCOMPARE(large.row("startup")->max, 70.0);
        QCOMPARE(large.row("bare-memory")->unit, QStringLiteral("MB"));
        const QString path = dir.filePath(SavedResults::fileName("large"));
        QVERIFY(large.write(path));
        ResultTable later;
        addRounds(later, "startup", {80});
        SavedResults kept = *SavedResults::read(path);
        kept.merge({"large", 1, 10000, 30000, savedRowsOf(later, "2026-12-07T20:00:00Z", "2.0 → 2.0")});
        QCOMPARE(kept.row("startup")->median, 80.0);
        QCOMPARE(kept.row("tree-load")->median, 5.0);
        QVERIFY(kept.write(path));

        SavedResults small{"small", 1, 100, 1000,
                           {{"startup", "s", "ms", 40, 35, 45, "2026-12-07T18:00:00Z", "0.5 → 0.5"},
                            {"search-one", "q", "ms", 3, 2, 4, "2026-12-07T18:00:00Z", "0.5 → 0.5"}}};
        QVERIFY(small.write(dir.filePath(SavedResults::fileName("small"))));
        const QStringList said = drawCharts(dir.path(), dir.filePath("charts"));
        QVERIFY(said.first().startsWith("wrote"));
        QVERIFY(said.last().contains("peers.svg not drawn"));
        QFile file(dir.filePath("charts/scaling.svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(file.readAll());
        QList<QList<double>> lines;
        QStringList texts;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("polyline")) {
                QList<double> xs;
                for (const QString &point : xml.attributes().value("points").toString().split(' '))
                    xs.append(point.section(',', 0, 0).toDouble());
                lines.append(xs);
            } else if (xml.isStartElement() && xml.name() == QLatin1String("text")) {
                texts.append(xml.readElementText().simplified());
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // start-up (both bases), tree load (large only), search (small only).
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.first().size(), 2);
        QVERIFY(lines.first().at(0) < lines.first().at(1));   // small before large
        const QString all = texts.join(' ');   // notes may be wrapped
        for (const char *expected : {"start-up, exec to painted window", "tree load", "search, one keyword",
                                     "documents in the base (log scale)", "tree load (small)",
                                     "Not measured on any base: start-up of a bare Qt main window"})
            QVERIFY2(all.contains(QString::fromUtf8(expected)), expected);
    }
};

QTEST_MAIN(TestBenchTable)
#include "test_benchtable.moc"
