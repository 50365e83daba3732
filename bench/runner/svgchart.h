#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace folio::bench {

// Charts of the benchmark figures as SVG text, drawn here with Qt Core alone
// (the bench adds no dependency for them): axes on a log scale with their
// titles and units, a legend, and notes under the plot.

// One measured figure: at x, the median y with its smallest and largest
// round medians as an error bar.
struct ChartPoint
{
    double x = 0;
    double y = 0;
    double low = 0;
    double high = 0;
};

struct ChartSeries
{
    QString name;
    QList<ChartPoint> points;   // drawn in the order of x, whatever order they come in
    bool dashed = false;        // a yardstick rather than the program
};

// Lines on log-log axes; the x ticks are given (the sizes of the bases),
// the y ticks follow the data.
struct LineChart
{
    QString title;
    QString xLabel;
    QString yLabel;
    QList<std::pair<double, QString>> xTicks;
    QList<ChartSeries> series;
    QStringList notes;
};

// Horizontal bars on a log axis, one per program, with its figure written
// beside it.
struct BarChart
{
    struct Bar
    {
        QString label;
        double value = 0;
        QString text;
        bool ours = false;
    };

    QString title;
    QString axisLabel;
    QList<Bar> bars;
    QStringList notes;
};

QByteArray lineChartSvg(const LineChart &chart);
QByteArray barChartSvg(const BarChart &chart);

} // namespace folio::bench
