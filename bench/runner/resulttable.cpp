#include "runner/resulttable.h"

#include <algorithm>

namespace folio::bench {

namespace {

// A round's p99 is only judged when the round has this many runs.
constexpr int RunsPerRoundForP99Goal = 100;

QString figure(double value, Unit unit)
{
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    switch (unit) {
    case Unit::Milliseconds:
        return QString::number(value, 'f', decimals) + QStringLiteral(" ms");
    case Unit::Megabytes:
        return QString::number(value, 'f', decimals) + QStringLiteral(" MB");
    case Unit::Ratio:
        return QString::number(value, 'f', 2) + QStringLiteral("×");
    }
    return QString::number(value);
}

QString verdictText(const QList<GoalCheck> &checks)
{
    QStringList parts;
    for (const GoalCheck &check : checks) {
        QString ratios = QStringLiteral("?");
        if (check.lowRatio && check.highRatio)
            ratios = QString::number(*check.lowRatio, 'f', 2) + QStringLiteral("–")
                     + QString::number(*check.highRatio, 'f', 2);
        switch (check.verdict) {
        case GoalCheck::Verdict::Met:
            parts.append(ratios + QStringLiteral(" met"));
            break;
        case GoalCheck::Verdict::Missed:
            parts.append(ratios + QStringLiteral(" MISSED"));
            break;
        case GoalCheck::Verdict::Unclear:
            parts.append(ratios + QStringLiteral(" unclear"));
            break;
        case GoalCheck::Verdict::NoLimit:
            parts.append(QStringLiteral("? no limit"));
            break;
        }
    }
    return parts.join(QStringLiteral(" / "));
}

} // namespace

void ResultTable::add(BenchRow row)
{
    for (BenchRow &existing : m_rows) {
        if (existing.id != row.id)
            continue;
        if (existing.status == BenchRow::Status::Failed)
            return;
        if (row.status == BenchRow::Status::Failed) {
            existing.status = BenchRow::Status::Failed;
            existing.note = row.note;
            existing.rounds.clear();
        } else if (row.status == BenchRow::Status::Measured) {
            existing.rounds.append(row.rounds);
        }
        return;
    }
    m_rows.append(std::move(row));
}

void ResultTable::addNote(const QString &note)
{
    if (!m_notes.contains(note))
        m_notes.append(note);
}

const BenchRow *ResultTable::row(const QString &id) const
{
    for (const BenchRow &candidate : m_rows)
        if (candidate.id == id)
            return &candidate;
    return nullptr;
}

std::optional<double> ResultTable::limitOf(const Goal &goal) const
{
    if (goal.baseline.isEmpty())
        return goal.limit;
    const BenchRow *baseline = row(goal.baseline);
    if (!baseline || baseline->status != BenchRow::Status::Measured || baseline->rounds.isEmpty())
        return std::nullopt;
    return baseline->stats().medianMedian * goal.baselineFactor;
}

QList<GoalCheck> ResultTable::checks(const BenchRow &row) const
{
    QList<GoalCheck> result;
    const RoundStats stats = row.stats();
    for (const Goal &goal : row.goals) {
        GoalCheck check;
        const std::optional<double> limit = limitOf(goal);
        const QList<double> &values = goal.metric == Goal::Metric::Median ? stats.roundMedians : stats.roundP99s;
        if (!limit || *limit <= 0 || values.isEmpty()) {
            result.append(check);
            continue;
        }
        const auto [low, high] = std::minmax_element(values.begin(), values.end());
        check.lowRatio = *low / *limit;
        check.highRatio = *high / *limit;
        bool enoughRuns = stats.rounds >= MinRoundsForVerdict;
        if (goal.metric == Goal::Metric::Percentile99)
            for (const QList<double> &round : row.rounds)
                enoughRuns = enoughRuns && round.size() >= RunsPerRoundForP99Goal;
        if (!enoughRuns)
            check.verdict = GoalCheck::Verdict::Unclear;
        else if (*high <= *limit)
            check.verdict = GoalCheck::Verdict::Met;
        else if (*low > *limit)
            check.verdict = GoalCheck::Verdict::Missed;
        else
            check.verdict = GoalCheck::Verdict::Unclear;
        result.append(check);
    }
    return result;
}

QStringList ResultTable::cells(const BenchRow &row) const
{
    QStringList goals;
    for (const Goal &goal : row.goals)
        goals.append(goal.text);
    const QString goal = goals.isEmpty() ? QStringLiteral("-") : goals.join(QStringLiteral("; "));
    if (row.status == BenchRow::Status::NotBuiltYet)
        return {row.operation, row.dataSize, QStringLiteral("-"), QStringLiteral("not built yet"),
                QString(), QString(), QString(), goal, QStringLiteral("-")};
    if (row.status == BenchRow::Status::Failed)
        return {row.operation, row.dataSize, QStringLiteral("-"), QStringLiteral("FAILED: ") + row.note,
                QString(), QString(), QString(), goal, QStringLiteral("-")};
    const RoundStats s = row.stats();
    // Rounds × runs, or the total when the rounds differ in size.
    const bool even = std::all_of(row.rounds.begin(), row.rounds.end(),
                                  [&](const QList<double> &round) { return round.size() == row.rounds.first().size(); });
    const QString runs = even && s.rounds > 0 ? QStringLiteral("%1 × %2").arg(s.rounds).arg(s.samples / s.rounds)
                                              : QStringLiteral("%1 rounds, %2").arg(s.rounds).arg(s.samples);
    return {row.operation,
            row.dataSize,
            runs,
            figure(s.medianMedian, row.unit),
            figure(s.minMedian, row.unit),
            figure(s.maxMedian, row.unit),
            s.p99 ? figure(*s.p99, row.unit) : QStringLiteral("-"),
            goal,
            row.goals.isEmpty() ? QStringLiteral("-") : verdictText(checks(row))};
}

QString ResultTable::render() const
{
    QList<QStringList> lines{{QStringLiteral("Operation"), QStringLiteral("Data size"), QStringLiteral("Rounds × runs"),
                              QStringLiteral("Median"), QStringLiteral("Min"), QStringLiteral("Max"),
                              QStringLiteral("p99"), QStringLiteral("Goal"), QStringLiteral("Verdict")}};
    for (const BenchRow &row : m_rows)
        lines.append(cells(row));
    QList<qsizetype> widths(lines.first().size(), 0);
    for (const QStringList &line : lines)
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], line.at(i).size());

    QString out;
    auto printLine = [&](const QStringList &line) {
        QStringList padded;
        for (qsizetype i = 0; i < line.size(); ++i)
            padded.append(i >= 2 && i <= 6 ? line.at(i).rightJustified(widths[i]) : line.at(i).leftJustified(widths[i]));
        out += QStringLiteral("| ") + padded.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    };
    printLine(lines.first());
    QStringList rule;
    for (qsizetype width : widths)
        rule.append(QString(width, QLatin1Char('-')));
    printLine(rule);
    for (qsizetype i = 1; i < lines.size(); ++i)
        printLine(lines.at(i));
    out += QStringLiteral("\nMedian, Min, Max: the median, smallest and largest of the round medians. "
                          "p99: all runs of all rounds together, shown from %1 runs on.\n"
                          "Verdict: the fastest and the slowest round's figure divided by the limit; "
                          "met when the slowest round meets the goal, MISSED when even the fastest misses it, "
                          "unclear in between or with fewer than %2 rounds.\n")
               .arg(MinSamplesForP99).arg(MinRoundsForVerdict);
    for (const QString &note : m_notes)
        out += QLatin1Char('\n') + note;
    if (!m_notes.isEmpty())
        out += QLatin1Char('\n');
    return out;
}

} // namespace folio::bench
