#include "runner/historybench.h"

#include "app/mainwindow.h"
#include "history/historywindow.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "runner/stats.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTreeWidget>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr int Versions = 500;
constexpr int ListRuns = 20;

void run(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant &value : values)
        q.addBindValue(value);
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
}

// A document of about 10 KB, given 500 versions spread over the last four
// weeks, younger than any thinning touches (written once into the work
// copy, untimed).
DocNum documentWithVersions(MainWindow &window)
{
    QSqlDatabase db = window.database().connection();
    QSqlQuery pick(db);
    if (!pick.exec(QStringLiteral("SELECT DocNum FROM DocTable WHERE length(Text) BETWEEN 5000 AND 20000 "
                                  "ORDER BY DocNum LIMIT 1"))
        || !pick.next())
        throw std::runtime_error("the base has no document of about 10 KB");
    const DocNum doc = pick.value(0).toLongLong();
    QSqlQuery count(db);
    count.prepare(QStringLiteral("SELECT count(*) FROM DocHistory WHERE DocNum = ?"));
    count.addBindValue(doc);
    if (count.exec() && count.next() && count.value(0).toInt() >= Versions)
        return doc;
    run(db, QStringLiteral("BEGIN IMMEDIATE"));
    for (int i = 0; i < Versions; ++i)
        run(db,
            QStringLiteral("INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, ChgDate, KeptAt, Reason) "
                           "SELECT DocNum, DirNum, DocName, Text, ChgDate, datetime('now', ?), 'save' "
                           "FROM DocTable WHERE DocNum = ?"),
            {QStringLiteral("-%1 minutes").arg(i * 80), doc});
    run(db, QStringLiteral("COMMIT"));
    return doc;
}

} // namespace

void measureHistory(BenchSession &session, ResultTable &table)
{
    const QList<Goal> goal{Goal::below(100, QStringLiteral("< 100 ms"))};
    const QString operation = QStringLiteral("list the history of a document, 500 versions");
    MainWindow &window = session.window();
    try {
        const DocNum doc = documentWithVersions(window);
        HistoryWindow history(window.context(), &window);
        const QList<double> times = timeRuns(session.runsPerRound(ListRuns), [&] {
            history.showDocument(doc);
            if (history.findChild<QTreeWidget *>(QStringLiteral("lstVersions"))->topLevelItemCount() < Versions)
                throw std::runtime_error("the versions were not listed");
        });
        table.add(BenchRow::measured("history-list-500", operation, QStringLiteral("500 versions of 10 KB"), times, goal));
    } catch (const std::exception &e) {
        table.add(BenchRow::failed("history-list-500", operation, QString::fromUtf8(e.what()), goal));
    }
}

} // namespace folio::bench
