#pragma once

#include <QList>
#include <QtGlobal>

namespace folio::bench {

// A small deterministic random source (SplitMix64). The standard library's
// distributions differ between implementations, so the generator draws
// every number from here: the same seed gives the same knowledge base on
// any machine and compiler.
class BenchRandom
{
public:
    explicit BenchRandom(quint64 seed) : m_state(seed) {}

    // An independent stream for one part of the generation, so that, for
    // example, the folder tree stays the same when only the document count
    // changes.
    static BenchRandom stream(quint64 seed, quint64 part)
    {
        BenchRandom mixer(seed ^ (part * 0xD1B54A32D192ED03ull));
        return BenchRandom(mixer.next());
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound); 0 when bound is 0. The modulo bias is far below
    // anything a benchmark could notice for the bounds used here.
    qint64 below(qint64 bound) { return bound > 0 ? qint64(next() % quint64(bound)) : 0; }
    // Uniform in [low, high], both included.
    qint64 between(qint64 low, qint64 high) { return low + below(high - low + 1); }
    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double probability) { return unit() < probability; }

    template<typename T>
    const T &pick(const QList<T> &items) { return items.at(below(items.size())); }

    template<typename T>
    void shuffle(QList<T> &items)
    {
        for (qsizetype i = items.size() - 1; i > 0; --i)
            items.swapItemsAt(i, below(i + 1));
    }

private:
    quint64 m_state;
};

} // namespace folio::bench
