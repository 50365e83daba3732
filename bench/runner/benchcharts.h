#pragma once

#include "runner/resultstore.h"
#include "runner/svgchart.h"

#include <QStringList>

namespace folio::bench {

// The charts of the saved results (README "Charts"): how the main rows grow
// with the size of the base, and the start-up beside the peer programs.

// Start-up (with the bare window beside it), tree load, folder switch and
// one-keyword search against the number of documents of each preset; a row
// a preset lacks is left out and named in a note.
LineChart scalingChart(const QList<SavedResults> &presets);
// The peers' start-up beside ours.
BarChart peersChart(const PeerResults &peers);

// Reads results-<preset>.json and results-peers.json in `dataRoot` and writes
// scaling.svg and peers.svg into `chartsDir`; says what it wrote or why not.
QStringList drawCharts(const QString &dataRoot, const QString &chartsDir);

} // namespace folio::bench
