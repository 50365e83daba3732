#pragma once

#include "runner/stats.h"

#include <QList>
#include <QString>

namespace folio::bench {

enum class Unit { Milliseconds, Megabytes, Ratio };

// A goal for a row: its median (or 99th percentile) must stay under a
// limit. The limit is either fixed, or a multiple of another row's median
// (the median of its round medians) measured in the same run: a baseline
// on the same data.
struct Goal
{
    enum class Metric { Median, Percentile99 };

    Metric metric = Metric::Median;
    double limit = 0;
    QString baseline;          // id of the baseline row, when relative
    double baselineFactor = 1; // limit = baseline median × factor
    QString text;              // as printed

    static Goal below(double limit, QString text, Metric metric = Metric::Median);
    static Goal relativeTo(QString baselineId, double factor, QString text);
};

// One line of the result table.
struct BenchRow
{
    enum class Status { Measured, NotBuiltYet, Failed };

    QString id;          // how goals of other rows refer to it
    QString operation;
    QString dataSize;
    Unit unit = Unit::Milliseconds;
    Status status = Status::Measured;
    QList<QList<double>> rounds;   // the samples of each round
    QList<Goal> goals;
    QString note;        // why a measurement failed

    RoundStats stats() const { return RoundStats::of(rounds); }
    // Every sample of every round.
    QList<double> allSamples() const;

    // One round of samples; the table adds later rounds of the same id to it.
    static BenchRow measured(QString id, QString operation, QString dataSize, QList<double> samples,
                             QList<Goal> goals = {}, Unit unit = Unit::Milliseconds);
    // An operation the program does not have yet: shown with its goal, never with a figure.
    // One round of a row that is one figure divided by another measured in
    // the same round: the median of `numerator` over the median of
    // `denominator`. Judged on these per-round ratios like any other row.
    static BenchRow ratioOfRound(QString id, QString operation, QString dataSize, const QList<double> &numerator,
                                 const QList<double> &denominator, QList<Goal> goals = {});
    static BenchRow notBuiltYet(QString id, QString operation, QString dataSize, QList<Goal> goals = {});
    static BenchRow failed(QString id, QString operation, QString why, QList<Goal> goals = {});
};

} // namespace folio::bench
