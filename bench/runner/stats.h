#pragma once

#include <QList>
#include <functional>

namespace folio::bench {

// Summary of repeated measurements.
struct Stats
{
    int count = 0;
    double median = 0;
    double min = 0;
    double max = 0;
    double p99 = 0;   // nearest rank: the smallest sample not exceeded by 99 % of them

    static Stats of(QList<double> samples);
};

// Runs `work` `runs` times and returns each run's wall time in milliseconds.
// `prepare` runs untimed before each run (to put things back as they were).
QList<double> timeRuns(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {});

} // namespace folio::bench
