#pragma once

#include "runner/benchrow.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace folio::bench {

// How a row stands against one of its goals, judged on its rounds: "met"
// only when even the slowest round meets the limit, "missed" when even the
// fastest round does not, "unclear" in between (or with too few rounds).
struct GoalCheck
{
    enum class Verdict { Met, Missed, Unclear, NoLimit };

    Verdict verdict = Verdict::NoLimit;
    // The fastest and the slowest round's figure divided by the limit.
    std::optional<double> lowRatio;
    std::optional<double> highRatio;
};

// The rows of one benchmark run, printed as a table (a Markdown pipe table,
// readable in a terminal as it is): operation, data size, rounds × runs,
// the median, min and max of the round medians, the 99th percentile of all
// runs (from MinSamplesForP99 runs on), the goal and the verdict.
class ResultTable
{
public:
    // A measured row whose id is already in the table becomes its next
    // round; a failure replaces the row (no figure stays beside it).
    void add(BenchRow row);
    // A line printed under the table (search hit counts, cross-checks);
    // the same line given again in a later round is printed once.
    void addNote(const QString &note);

    const QList<BenchRow> &rows() const { return m_rows; }
    const BenchRow *row(const QString &id) const;

    // The limit a goal stands for in this run; none when it is relative to
    // a baseline that was not measured.
    std::optional<double> limitOf(const Goal &goal) const;
    // The verdict of each goal of a measured row.
    QList<GoalCheck> checks(const BenchRow &row) const;

    QString render() const;

private:
    QStringList cells(const BenchRow &row) const;

    QList<BenchRow> m_rows;
    QStringList m_notes;
};

} // namespace folio::bench
