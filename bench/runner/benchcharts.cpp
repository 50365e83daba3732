#include "runner/benchcharts.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>

namespace folio::bench {

namespace {

struct SeriesOfRow
{
    const char *id;
    const char *name;
    bool dashed;
};

// What the scaling chart shows, in the order of its legend.
const SeriesOfRow ScalingRows[] = {
    {"startup", "start-up, exec to painted window", false},
    {"bare-startup", "start-up of a bare Qt main window", true},
    {"tree-load", "tree load", false},
    {"folder-switch", "folder switch", false},
    {"search-one", "search, one keyword", false},
};

QString withThousands(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

QString duration(double ms)
{
    if (ms >= 1000)
        return QString::number(ms / 1000, 'f', 1) + QStringLiteral(" s");
    return QString::number(ms, 'f', ms < 10 ? 1 : 0) + QStringLiteral(" ms");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

LineChart scalingChart(const QList<SavedResults> &presets)
{
    LineChart chart;
    chart.title = QStringLiteral("Folio Keeper: how the main operations grow with the base");
    chart.xLabel = QStringLiteral("documents in the base (log scale)");
    chart.yLabel = QStringLiteral("milliseconds, median of the round medians (log scale)");
    for (const SavedResults &preset : presets)
        chart.xTicks.append({double(preset.documents),
                             QStringLiteral("%1\n%2").arg(preset.preset, withThousands(preset.documents))});
    QStringList missing, nowhere;
    for (const SeriesOfRow &wanted : ScalingRows) {
        ChartSeries series{QString::fromUtf8(wanted.name), {}, wanted.dashed};
        QStringList lacking;
        for (const SavedResults &preset : presets) {
            const SavedRow *row = preset.row(QString::fromLatin1(wanted.id));
            if (row && row->unit == QLatin1String("ms") && row->median > 0)
                series.points.append({double(preset.documents), row->median, row->min, row->max});
            else
                lacking.append(preset.preset);
        }
        if (series.points.isEmpty())
            nowhere.append(series.name);
        else
            chart.series.append(series);
        if (!series.points.isEmpty() && !lacking.isEmpty())
            missing.append(QStringLiteral("%1 (%2)").arg(series.name, lacking.join(QStringLiteral(", "))));
    }
    if (!missing.isEmpty())
        chart.notes.append(QStringLiteral("Not measured on some bases, left out there: ") + missing.join(QStringLiteral("; ")));
    if (!nowhere.isEmpty())
        chart.notes.append(QStringLiteral("Not measured on any base: ") + nowhere.join(QStringLiteral("; ")));
    QStringList absent;
    for (const char *name : {"small", "large", "huge"})
        if (std::none_of(presets.begin(), presets.end(),
                         [&](const SavedResults &p) { return p.preset == QLatin1String(name); }))
            absent.append(QString::fromLatin1(name));
    if (!absent.isEmpty())
        chart.notes.append(QStringLiteral("No results kept for the %1 base: not in the chart.")
                               .arg(absent.join(QStringLiteral(" or "))));
    chart.notes.append(QStringLiteral("Folder switch: the switch folder, 2,000 documents (500 in the small base)."));
    for (const SavedResults &preset : presets) {
        QStringList when;
        for (const SavedRow &row : preset.rows) {
            const QString stamp = QStringLiteral("%1 UTC (load %2)").arg(row.date.left(16).replace(QLatin1Char('T'), QLatin1Char(' ')),
                                                                     row.loadAverage);
            if (!when.contains(stamp))
                when.append(stamp);
        }
        chart.notes.append(QStringLiteral("%1 base, seed %2, %3 folders: measured %4")
                               .arg(preset.preset).arg(preset.seed).arg(withThousands(preset.folders))
                               .arg(when.join(QStringLiteral(", "))));
    }
    return chart;
}

BarChart peersChart(const PeerResults &peers)
{
    BarChart chart;
    chart.title = QStringLiteral("Start-up beside other note programs, the same notes");
    chart.axisLabel = QStringLiteral("milliseconds from exec to the viewable main window (log scale)");
    for (const PeerResult &peer : peers.programs) {
        QStringList runs;
        for (double run : peer.runs)
            runs.append(run < 0 ? QStringLiteral("failed") : duration(run));
        const QString text = peer.medianMs > 0
                                 ? QStringLiteral("%1 (runs: %2)").arg(duration(peer.medianMs), runs.join(QStringLiteral(", ")))
                                 : QStringLiteral("no window seen (runs: %1)").arg(runs.join(QStringLiteral(", ")));
        chart.bars.append({peer.program, peer.medianMs, text, peer.program.startsWith(QLatin1String("Folio Keeper"))});
    }
    chart.notes.append(QStringLiteral("Base: %1; median of the runs, each program started in turn on one X server; %2 UTC.")
                           .arg(peers.size, peers.date.left(16).replace(QLatin1Char('T'), QLatin1Char(' '))));
    chart.notes.append(QStringLiteral("Measured by bench/peers.sh: from exec until xwininfo shows the main window viewable."));
    return chart;
}

QStringList drawCharts(const QString &dataRoot, const QString &chartsDir)
{
    QStringList said;
    const QDir data(dataRoot);
    QList<SavedResults> presets;
    for (const char *preset : {"small", "large", "huge"})
        if (auto results = SavedResults::read(data.filePath(SavedResults::fileName(QString::fromLatin1(preset)))))
            if (results->documents > 0)
                presets.append(*results);
    std::sort(presets.begin(), presets.end(),
              [](const SavedResults &a, const SavedResults &b) { return a.documents < b.documents; });
    if (!QDir().mkpath(chartsDir))
        return {QStringLiteral("cannot make the charts folder %1").arg(chartsDir)};
    const QString scaling = QDir(chartsDir).filePath(QStringLiteral("scaling.svg"));
    if (presets.isEmpty())
        said.append(QStringLiteral("no results-<preset>.json in %1: scaling.svg not drawn").arg(dataRoot));
    else if (writeFile(scaling, lineChartSvg(scalingChart(presets))))
        said.append(QStringLiteral("wrote %1").arg(scaling));
    else
        said.append(QStringLiteral("cannot write %1").arg(scaling));

    const QString peersPath = QDir(chartsDir).filePath(QStringLiteral("peers.svg"));
    const std::optional<PeerResults> peers = PeerResults::read(data.filePath(QStringLiteral("results-peers.json")));
    if (!peers || peers->programs.isEmpty())
        said.append(QStringLiteral("no results-peers.json in %1 (bench/run.sh peers writes it): peers.svg not drawn")
                        .arg(dataRoot));
    else if (writeFile(peersPath, barChartSvg(peersChart(*peers))))
        said.append(QStringLiteral("wrote %1").arg(peersPath));
    else
        said.append(QStringLiteral("cannot write %1").arg(peersPath));
    return said;
}

} // namespace folio::bench
