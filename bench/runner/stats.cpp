#include "runner/stats.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>

namespace folio::bench {

Stats Stats::of(QList<double> samples)
{
    Stats stats;
    stats.count = int(samples.size());
    if (samples.isEmpty())
        return stats;
    std::sort(samples.begin(), samples.end());
    const qsizetype n = samples.size();
    stats.min = samples.first();
    stats.max = samples.last();
    stats.median = n % 2 ? samples.at(n / 2) : (samples.at(n / 2 - 1) + samples.at(n / 2)) / 2;
    const double h = 0.99 * double(n - 1);
    const qsizetype below = qsizetype(std::floor(h));
    const qsizetype above = std::min(below + 1, n - 1);
    stats.p99 = samples.at(below) + (h - double(below)) * (samples.at(above) - samples.at(below));
    return stats;
}

RoundStats RoundStats::of(const QList<QList<double>> &rounds)
{
    RoundStats stats;
    QList<double> pooled;
    for (const QList<double> &round : rounds) {
        if (round.isEmpty())
            continue;
        const Stats s = Stats::of(round);
        stats.roundMedians.append(s.median);
        stats.roundP99s.append(s.p99);
        pooled.append(round);
    }
    stats.rounds = int(stats.roundMedians.size());
    stats.samples = int(pooled.size());
    if (stats.rounds == 0)
        return stats;
    const Stats medians = Stats::of(stats.roundMedians);
    stats.minMedian = medians.min;
    stats.medianMedian = medians.median;
    stats.maxMedian = medians.max;
    if (stats.samples >= MinSamplesForP99)
        stats.p99 = Stats::of(pooled).p99;
    return stats;
}

QList<double> timeRuns(int runs, const std::function<void()> &work, const std::function<void()> &prepare)
{
    QList<double> samples;
    samples.reserve(runs);
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        clock.start();
        work();
        samples.append(double(clock.nsecsElapsed()) / 1e6);
    }
    return samples;
}

} // namespace folio::bench
