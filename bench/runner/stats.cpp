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
    const qsizetype rank = qsizetype(std::ceil(0.99 * double(n)));
    stats.p99 = samples.at(std::max<qsizetype>(rank, 1) - 1);
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
