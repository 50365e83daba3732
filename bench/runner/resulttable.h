#pragma once

#include "runner/benchrow.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace folio::bench {

// The rows of one benchmark run, printed as a table (a Markdown pipe table,
// readable in a terminal as it is): operation, data size, runs, median, min,
// max, 99th percentile where there are 100 runs or more, the goal, and the
// ratio of the figure to the goal's limit (1.00 or less: the goal is met).
class ResultTable
{
public:
    void add(BenchRow row);
    // A line printed under the table (search hit counts, cross-checks).
    void addNote(const QString &note) { m_notes.append(note); }

    const QList<BenchRow> &rows() const { return m_rows; }
    const BenchRow *row(const QString &id) const;

    // The limit a goal stands for in this run; none when it is relative to
    // a baseline that was not measured.
    std::optional<double> limitOf(const Goal &goal) const;
    // Figure divided by limit for each goal of a measured row.
    QList<std::optional<double>> ratios(const BenchRow &row) const;

    QString render() const;

private:
    QStringList cells(const BenchRow &row) const;

    QList<BenchRow> m_rows;
    QStringList m_notes;
};

} // namespace folio::bench
