#pragma once

#include <QList>
#include <functional>
#include <optional>

namespace folio::bench {

// Summary of repeated measurements.
struct Stats
{
    int count = 0;
    double median = 0;
    double min = 0;
    double max = 0;
    // Linear interpolation between the two samples around the 99 % point
    // (h = 0.99 × (n − 1) on the sorted samples). It only means something
    // with many samples: the table shows it from MinSamplesForP99 on.
    double p99 = 0;

    static Stats of(QList<double> samples);
};

// Runs needed before a 99th percentile is shown: with 1,000 there are ten
// samples above it, so one outlier does not decide it.
constexpr int MinSamplesForP99 = 1000;
// Rounds needed before a goal can be called met or missed.
constexpr int MinRoundsForVerdict = 5;

// A row measured in rounds: each round is a batch of runs, taken between
// the rounds of the other rows, so that a slow moment of the machine hits
// one round rather than one row.
struct RoundStats
{
    int rounds = 0;
    int samples = 0;                  // all runs of all rounds
    QList<double> roundMedians;       // one per round
    QList<double> roundP99s;          // one per round
    double minMedian = 0;             // smallest round median
    double medianMedian = 0;          // median of the round medians
    double maxMedian = 0;             // largest round median
    std::optional<double> p99;        // over all runs pooled, once there are enough

    static RoundStats of(const QList<QList<double>> &rounds);
};

// Runs `work` `runs` times and returns each run's wall time in milliseconds.
// `prepare` runs untimed before each run (to put things back as they were).
QList<double> timeRuns(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {});

} // namespace folio::bench
