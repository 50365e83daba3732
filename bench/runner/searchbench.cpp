#include "runner/searchbench.h"

#include "app/mainwindow.h"
#include "generator/vocabulary.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "storage/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr int LikeScanRuns = 2;   // per round

struct SearchCase
{
    QString id;            // the search row; its baseline is "<id>-like"
    QString operation;
    QStringList keywords;  // joined with AND
    int expectedHits;
};

// Documents whose title or HTML holds every keyword, found by a full scan.
int likeScan(QSqlDatabase db, const QStringList &keywords)
{
    QStringList conditions;
    for (qsizetype i = 0; i < keywords.size(); ++i)
        conditions.append(QStringLiteral("(DocName LIKE ? OR Text LIKE ?)"));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT DocNum, DocName, ChgDate FROM DocTable WHERE ")
                   + conditions.join(QStringLiteral(" AND "))))
        throw std::runtime_error(q.lastError().text().toStdString());
    for (const QString &keyword : keywords) {
        const QString pattern = QLatin1Char('%') + keyword + QLatin1Char('%');
        q.addBindValue(pattern);
        q.addBindValue(pattern);
    }
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
    int hits = 0;
    while (q.next())
        ++hits;
    return hits;
}

} // namespace

void measureSearch(BenchSession &session, ResultTable &table)
{
    const Manifest &m = session.manifest();
    const QString size = QStringLiteral("%1 docs, %2 MB HTML").arg(m.config.documents).arg(m.htmlBytes / 1e6, 0, 'f', 0);
    const QList<SearchCase> cases{
        {"search-one", QStringLiteral("search, one keyword"), {KeywordOne}, m.keywordOneDocuments},
        {"search-two", QStringLiteral("search, two keywords (AND)"), {KeywordOne, KeywordTwo}, m.bothKeywordsDocuments},
        {"search-two-chars", QStringLiteral("search, two characters"), {KeywordTwoCharacters}, m.twoCharacterDocuments},
    };
    QSqlDatabase db = session.window().database().connection();
    for (const SearchCase &c : cases) {
        int hits = -1;
        const QList<double> samples = timeRuns(LikeScanRuns, [&] { hits = likeScan(db, c.keywords); });
        table.add(BenchRow::measured(c.id + QStringLiteral("-like"), c.operation + QStringLiteral(": LIKE scan (baseline)"),
                                     size, samples));
        table.addNote(QStringLiteral("%1 (%2): %3 documents found, %4 planned by the generator%5")
                          .arg(c.operation, c.keywords.join(QStringLiteral(" AND ")))
                          .arg(hits).arg(c.expectedHits)
                          .arg(hits == c.expectedHits ? QString() : QStringLiteral(" -- MISMATCH")));
    }
    // The search itself is not part of the program yet. The search issue
    // replaces these rows with measurements of the program's own search.
    table.add(BenchRow::notBuiltYet("search-one", cases[0].operation, size,
                                    {m.isHuge() ? Goal::below(100, QStringLiteral("≤ 100 ms median (huge)"))
                                                : Goal::below(50, QStringLiteral("< 50 ms median")),
                                     Goal::relativeTo("search-one-like", 0.1, QStringLiteral("≥ 10× faster than LIKE"))}));
    table.add(BenchRow::notBuiltYet("search-two", cases[1].operation, size));
    table.add(BenchRow::notBuiltYet("search-two-chars", cases[2].operation, size));
}

} // namespace folio::bench
