// The word-level comparison behind the history window: it gives back both
// texts, it is as short as a comparison can be, and it stays quick on
// texts that have nothing in common.

#include "history/worddiff.h"

#include <QRandomGenerator>
#include <QTest>
#include <vector>

using namespace folio;

namespace {

QString join(const QList<WordRun> &runs, bool to)
{
    QStringList words;
    for (const WordRun &run : runs)
        if (run.kind == WordRun::Kind::Same || run.kind == (to ? WordRun::Kind::Added : WordRun::Kind::Removed))
            words += run.words;
    return words.join(QLatin1Char(' '));
}

int edits(const QList<WordRun> &runs)
{
    int count = 0;
    for (const WordRun &run : runs)
        if (run.kind != WordRun::Kind::Same)
            count += run.words.size();
    return count;
}

// The fewest words removed and added, by the longest common subsequence.
int fewestEdits(const QStringList &a, const QStringList &b)
{
    std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (qsizetype i = a.size() - 1; i >= 0; --i)
        for (qsizetype j = b.size() - 1; j >= 0; --j)
            lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    return int(a.size() + b.size() - 2 * lcs[0][0]);
}

QString words(const QStringList &list)
{
    return list.join(QLatin1Char(' '));
}

} // namespace

class TestWordDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("marked");   // - removed, + added
        QTest::newRow("same") << "one two three" << "one two three" << "one two three";
        QTest::newRow("a word changed") << "the quick fox" << "the slow fox" << "the -quick +slow fox";
        QTest::newRow("added at the start") << "b c" << "a b c" << "+a b c";
        QTest::newRow("removed at the end") << "a b c" << "a b" << "a b -c";
        QTest::newRow("from nothing") << "" << "new words" << "+new +words";
        QTest::newRow("to nothing") << "old words" << "" << "-old -words";
        QTest::newRow("paragraphs") << "first\nsecond" << "first\nnew\nsecond" << "first \n +new +\n second";
    }

    void runs()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, marked);
        QStringList shown;
        for (const WordRun &run : diffWords(from, to))
            for (const QString &word : run.words)
                shown << (run.kind == WordRun::Kind::Removed ? QStringLiteral("-")
                          : run.kind == WordRun::Kind::Added ? QStringLiteral("+")
                                                             : QString()) + word;
        QCOMPARE(shown.join(QLatin1Char(' ')), marked);
    }

    // Random texts of a small vocabulary: both texts come back, and no
    // comparison has more edits than the fewest possible.
    void shortestAndComplete()
    {
        QRandomGenerator random(20261207);
        const QStringList vocabulary = {"a", "b", "c", "d", "\n"};
        for (int round = 0; round < 300; ++round) {
            QStringList a, b;
            for (int i = random.bounded(12); i > 0; --i)
                a << vocabulary[random.bounded(vocabulary.size())];
            b = a;
            for (int i = random.bounded(6); i > 0; --i) {
                const int at = b.isEmpty() ? 0 : random.bounded(int(b.size()));
                if (random.bounded(2) && !b.isEmpty())
                    b.removeAt(at);
                else
                    b.insert(at, vocabulary[random.bounded(vocabulary.size())]);
            }
            const QList<WordRun> runs = diffWords(words(a), words(b));
            QCOMPARE(join(runs, false), words(a));
            QCOMPARE(join(runs, true), words(b));
            QCOMPARE(edits(runs), fewestEdits(a, b));
        }
    }

    // Two unrelated long texts: the middle is given as removed and added
    // whole instead of a search that would freeze the window.
    void unrelatedTextsStayQuick()
    {
        QStringList a, b;
        for (int i = 0; i < 100000; ++i) {
            a << QStringLiteral("x%1").arg(i);
            b << QStringLiteral("y%1").arg(i);
        }
        const QList<WordRun> runs = diffWords(QStringLiteral("same ") + words(a), QStringLiteral("same ") + words(b));
        QCOMPARE(runs.size(), 3);
        QCOMPARE(runs[0].words, QStringList{"same"});
        QCOMPARE(runs[1].kind, WordRun::Kind::Removed);
        QCOMPARE(runs[2].kind, WordRun::Kind::Added);
        QCOMPARE(runs[1].words.size(), 100000);
    }

    void htmlMarksAndEscapes()
    {
        const QString html = diffHtml(diffWords(QStringLiteral("<b> kept gone"), QStringLiteral("<b> kept new")));
        QVERIFY(html.startsWith(QStringLiteral("&lt;b&gt; kept ")));
        QVERIFY(html.contains(QStringLiteral("line-through\">gone ")));
        QVERIFY(html.contains(QStringLiteral("underline\">new ")));
    }
};

QTEST_MAIN(TestWordDiff)
#include "test_worddiff.moc"
