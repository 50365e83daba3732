#include "runner/resulttable.h"

namespace folio::bench {

namespace {

// Runs needed before a 99th percentile means anything.
constexpr int RunsForPercentile = 100;

QString figure(double value, Unit unit)
{
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    return QString::number(value, 'f', decimals) + (unit == Unit::Milliseconds ? QStringLiteral(" ms")
                                                                                : QStringLiteral(" MB"));
}

QString verdict(const QList<std::optional<double>> &ratios)
{
    QStringList parts;
    bool met = true;
    for (const std::optional<double> &ratio : ratios) {
        parts.append(ratio ? QString::number(*ratio, 'f', 2) : QStringLiteral("?"));
        met = met && ratio && *ratio <= 1.0;
    }
    return parts.join(QStringLiteral(" / ")) + (met ? QStringLiteral(" met") : QStringLiteral(" MISSED"));
}

} // namespace

void ResultTable::add(BenchRow row)
{
    m_rows.append(std::move(row));
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
    if (!baseline || baseline->status != BenchRow::Status::Measured || baseline->samples.isEmpty())
        return std::nullopt;
    return baseline->stats().median * goal.baselineFactor;
}

QList<std::optional<double>> ResultTable::ratios(const BenchRow &row) const
{
    QList<std::optional<double>> result;
    const Stats stats = row.stats();
    for (const Goal &goal : row.goals) {
        const std::optional<double> limit = limitOf(goal);
        const double value = goal.metric == Goal::Metric::Median ? stats.median : stats.p99;
        if (!limit || *limit <= 0 || row.samples.isEmpty())
            result.append(std::nullopt);
        else
            result.append(value / *limit);
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
    const Stats s = row.stats();
    return {row.operation,
            row.dataSize,
            QString::number(s.count),
            figure(s.median, row.unit),
            figure(s.min, row.unit),
            figure(s.max, row.unit),
            s.count >= RunsForPercentile ? figure(s.p99, row.unit) : QStringLiteral("-"),
            goal,
            row.goals.isEmpty() ? QStringLiteral("-") : verdict(ratios(row))};
}

QString ResultTable::render() const
{
    QList<QStringList> lines{{QStringLiteral("Operation"), QStringLiteral("Data size"), QStringLiteral("Runs"),
                              QStringLiteral("Median"), QStringLiteral("Min"), QStringLiteral("Max"),
                              QStringLiteral("p99"), QStringLiteral("Goal"), QStringLiteral("Ratio to goal")}};
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
    for (const QString &note : m_notes)
        out += QLatin1Char('\n') + note;
    if (!m_notes.isEmpty())
        out += QLatin1Char('\n');
    return out;
}

} // namespace folio::bench
