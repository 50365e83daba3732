// The runner's figures: statistics of the samples, goals (fixed and relative
// to a baseline measured in the same run) and the printed table.

#include "runner/resulttable.h"

#include <QTest>

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
        // Nearest rank: of 1..100 the 99th percentile is 99, of 1..200 it is
        // 198; with few samples it is the largest.
        QCOMPARE(Stats::of(oneTo(100)).p99, 99.0);
        QCOMPARE(Stats::of(oneTo(200)).p99, 198.0);
        QCOMPARE(Stats::of({2, 9, 4}).p99, 9.0);
        QCOMPARE(Stats::of({}).count, 0);
        int calls = 0, prepared = 0;
        const QList<double> times = timeRuns(4, [&] { ++calls; }, [&] { ++prepared; });
        QCOMPARE(times.size(), 4);
        QCOMPARE(calls, 4);
        QCOMPARE(prepared, 4);
    }

    void goalsFixedAndRelativeToBaselines()
    {
        ResultTable table;
        table.add(BenchRow::measured("scan", "scan", "", {200, 220, 180}));
        table.add(BenchRow::measured("fast", "fast", "", {10, 12, 14},
                                     {Goal::below(40, "< 40 ms"), Goal::relativeTo("scan", 0.1, "10x faster")}));
        table.add(BenchRow::measured("orphan", "orphan", "", {1}, {Goal::relativeTo("nowhere", 1, "as fast")}));
        const BenchRow &fast = *table.row("fast");
        QCOMPARE(table.limitOf(fast.goals.at(1)), std::optional<double>(20.0));
        const QList<std::optional<double>> ratios = table.ratios(fast);
        QCOMPARE(ratios.size(), 2);
        QCOMPARE(*ratios.at(0), 12.0 / 40);
        QCOMPARE(*ratios.at(1), 12.0 / 20);
        // A baseline that was not measured gives no limit, and no verdict of "met".
        QVERIFY(!table.ratios(*table.row("orphan")).at(0));
        QVERIFY(lineOf(table.render(), "orphan").contains("MISSED"));
        QVERIFY(lineOf(table.render(), "fast").contains("0.30 / 0.60 met"));

        table.add(BenchRow::notBuiltYet("late", "late", "", {Goal::relativeTo("scan", 1, "as fast")}));
        table.add(BenchRow::measured("relative", "relative", "", {5}, {Goal::relativeTo("late", 1, "as fast")}));
        QVERIFY(!table.ratios(*table.row("relative")).at(0));
    }

    void percentileGoalUsesThePercentile()
    {
        ResultTable table;
        QList<double> samples = oneTo(100);
        samples[0] = 500;   // one slow run among a hundred stays above the 99th percentile
        table.add(BenchRow::measured("save", "save", "", samples,
                                     {Goal::below(100, "median"), Goal::below(100, "p99", Goal::Metric::Percentile99)}));
        const QList<std::optional<double>> ratios = table.ratios(*table.row("save"));
        QCOMPARE(*ratios.at(0), 50.5 / 100);
        QCOMPARE(*ratios.at(1), 99.0 / 100);
    }

    void printedTable()
    {
        ResultTable table;
        table.add(BenchRow::measured("few", "few runs", "1 MB", {12.345, 20}, {Goal::below(10, "< 10 ms")}));
        table.add(BenchRow::measured("many", "many runs", "1 MB", oneTo(100)));
        table.add(BenchRow::measured("memory", "memory", "", {80}, {}, Unit::Megabytes));
        table.add(BenchRow::notBuiltYet("later", "later", "2 MB", {Goal::below(5, "< 5 ms")}));
        table.add(BenchRow::failed("broken", "broken", "no window"));
        table.addNote("a note");
        const QString text = table.render();

        const QStringList lines = text.split(QLatin1Char('\n'));
        QVERIFY(lines.at(0).startsWith("| Operation"));
        QVERIFY(lines.at(1).startsWith("| ---"));
        // Every row has the same width, so the columns line up.
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(lines.at(i + 1).size(), lines.at(0).size());
        QVERIFY(lineOf(text, "few runs").contains("16.2 ms"));   // median of two
        QVERIFY(lineOf(text, "few runs").contains("MISSED"));
        QVERIFY(lineOf(text, "many runs").contains("99.0 ms"));  // p99 shown from 100 runs on
        QVERIFY(!lineOf(text, "few runs").contains(" 20.0 ms | 20.0 ms"));
        QVERIFY(lineOf(text, "memory").contains("80.0 MB"));
        const QString later = lineOf(text, "later");
        QVERIFY(later.contains("not built yet"));
        QVERIFY(later.contains("< 5 ms"));
        QVERIFY(!later.contains(QRegularExpression("\\d ms \\|")));
        QVERIFY(lineOf(text, "broken").contains("FAILED: no window"));
        QVERIFY(text.trimmed().endsWith("a note"));
    }
};

QTEST_MAIN(TestBenchTable)
#include "test_benchtable.moc"
