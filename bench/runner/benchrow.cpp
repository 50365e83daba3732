#include "runner/benchrow.h"

namespace folio::bench {

Goal Goal::below(double limit, QString text, Metric metric)
{
    Goal goal;
    goal.metric = metric;
    goal.limit = limit;
    goal.text = std::move(text);
    return goal;
}

Goal Goal::relativeTo(QString baselineId, double factor, QString text)
{
    Goal goal;
    goal.baseline = std::move(baselineId);
    goal.baselineFactor = factor;
    goal.text = std::move(text);
    return goal;
}

BenchRow BenchRow::measured(QString id, QString operation, QString dataSize, QList<double> samples,
                            QList<Goal> goals, Unit unit)
{
    BenchRow row;
    row.id = std::move(id);
    row.operation = std::move(operation);
    row.dataSize = std::move(dataSize);
    if (!samples.isEmpty())
        row.rounds.append(std::move(samples));
    row.goals = std::move(goals);
    row.unit = unit;
    return row;
}

QList<double> BenchRow::allSamples() const
{
    QList<double> all;
    for (const QList<double> &round : rounds)
        all.append(round);
    return all;
}

BenchRow BenchRow::ratioOfRound(QString id, QString operation, QString dataSize, const QList<double> &numerator,
                                const QList<double> &denominator, QList<Goal> goals)
{
    const double below = Stats::of(denominator).median;
    if (numerator.isEmpty() || denominator.isEmpty() || below <= 0)
        return failed(std::move(id), std::move(operation), QStringLiteral("nothing measured to divide"), std::move(goals));
    return measured(std::move(id), std::move(operation), std::move(dataSize), {Stats::of(numerator).median / below},
                    std::move(goals), Unit::Ratio);
}

BenchRow BenchRow::notBuiltYet(QString id, QString operation, QString dataSize, QList<Goal> goals)
{
    BenchRow row = measured(std::move(id), std::move(operation), std::move(dataSize), {}, std::move(goals));
    row.status = Status::NotBuiltYet;
    return row;
}

BenchRow BenchRow::failed(QString id, QString operation, QString why, QList<Goal> goals)
{
    BenchRow row = measured(std::move(id), std::move(operation), {}, {}, std::move(goals));
    row.status = Status::Failed;
    row.note = std::move(why);
    return row;
}

} // namespace folio::bench
