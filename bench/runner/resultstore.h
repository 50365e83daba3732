#pragma once

#include "runner/resulttable.h"

#include <QList>
#include <QString>
#include <optional>

namespace folio::bench {

// One row of a run as kept for the charts: the median, smallest and largest
// of its round medians, and when and on how busy a machine it was measured.
struct SavedRow
{
    QString id;
    QString label;
    QString unit;          // "ms", "MB" or "ratio"
    double median = 0;
    double min = 0;
    double max = 0;
    QString date;          // ISO 8601, UTC
    QString loadAverage;   // 1-minute load average at the start and end of the run
};

// The rows measured on one preset's base (results-<preset>.json beside the
// bases). A later run replaces the rows it measured again and keeps the
// others, so that a run of one area does not lose the figures of the rest.
struct SavedResults
{
    QString preset;
    int seed = 1;
    int folders = 0;
    int documents = 0;
    QList<SavedRow> rows;

    const SavedRow *row(const QString &id) const;
    static QString fileName(const QString &preset) { return QStringLiteral("results-%1.json").arg(preset); }
    static std::optional<SavedResults> read(const QString &path);
    bool write(const QString &path) const;
    // The rows of `newer` replace those of the same id; the rest stay.
    void merge(const SavedResults &newer);
};

// The measured rows of a table, as they are kept.
QList<SavedRow> savedRowsOf(const ResultTable &table, const QString &date, const QString &loadAverage);

// One program of the peers' start-up comparison (results-peers.json, written
// by bench/peers.sh): median of its runs in milliseconds; -1 for a failed run.
struct PeerResult
{
    QString program;
    double medianMs = -1;
    QList<double> runs;
};

struct PeerResults
{
    QString size;   // the base as the peers had it ("large base, full size")
    QString date;
    QList<PeerResult> programs;

    static std::optional<PeerResults> read(const QString &path);
};

} // namespace folio::bench
