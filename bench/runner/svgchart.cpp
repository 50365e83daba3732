#include "runner/svgchart.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>

namespace folio::bench {

namespace {

// Colours told apart in print and by most colour-blind readers.
const char *const Palette[] = {"#0072b2", "#d55e00", "#009e73", "#cc79a7", "#e69f00", "#56b4e9", "#000000"};
constexpr int FontSize = 14;

// A log-scale axis mapping [lo, hi] onto the pixels [from, to].
struct LogAxis
{
    double lo = 1;
    double hi = 10;
    double from = 0;
    double to = 1;

    // Whole decades around the values (and at least one decade).
    static LogAxis around(double smallest, double largest, double from, double to)
    {
        LogAxis axis;
        axis.lo = std::pow(10.0, std::floor(std::log10(smallest)));
        axis.hi = std::pow(10.0, std::ceil(std::log10(largest)));
        if (axis.hi <= axis.lo)
            axis.hi = axis.lo * 10;
        axis.from = from;
        axis.to = to;
        return axis;
    }

    double at(double value) const
    {
        const double share = (std::log10(value) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
        return from + share * (to - from);
    }

    // 1, 2, 5 in each decade when the axis spans few decades, else decades only.
    QList<double> ticks() const
    {
        const int decades = int(std::lround(std::log10(hi / lo)));
        QList<double> values;
        for (double decade = lo; decade <= hi * 1.0001; decade *= 10)
            for (double step : decades <= 3 ? QList<double>{1, 2, 5} : QList<double>{1})
                if (decade * step <= hi * 1.0001)
                    values.append(decade * step);
        return values;
    }
};

QString number(double value)
{
    if (value < 1)
        return QString::number(value, 'g', 2);
    QString digits = QString::number(value, 'f', 0);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

QString px(double value)
{
    return QString::number(value, 'f', 1);
}

class Svg
{
public:
    Svg(int width, int height)
        : m_xml(&m_out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.writeStartDocument();
        m_xml.writeStartElement(QStringLiteral("svg"));
        m_xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
        m_xml.writeAttribute(QStringLiteral("width"), QString::number(width));
        m_xml.writeAttribute(QStringLiteral("height"), QString::number(height));
        m_xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 %1 %2").arg(width).arg(height));
        m_xml.writeAttribute(QStringLiteral("font-family"), QStringLiteral("DejaVu Sans, Arial, sans-serif"));
        m_xml.writeAttribute(QStringLiteral("font-size"), QString::number(FontSize));
        rect(0, 0, width, height, QStringLiteral("#ffffff"));
    }

    QByteArray finish()
    {
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        return m_out;
    }

    void line(double x1, double y1, double x2, double y2, const QString &stroke, double width = 1,
              const QString &dash = {})
    {
        m_xml.writeEmptyElement(QStringLiteral("line"));
        m_xml.writeAttribute(QStringLiteral("x1"), px(x1));
        m_xml.writeAttribute(QStringLiteral("y1"), px(y1));
        m_xml.writeAttribute(QStringLiteral("x2"), px(x2));
        m_xml.writeAttribute(QStringLiteral("y2"), px(y2));
        m_xml.writeAttribute(QStringLiteral("stroke"), stroke);
        m_xml.writeAttribute(QStringLiteral("stroke-width"), px(width));
        if (!dash.isEmpty())
            m_xml.writeAttribute(QStringLiteral("stroke-dasharray"), dash);
    }

    void rect(double x, double y, double width, double height, const QString &fill)
    {
        m_xml.writeEmptyElement(QStringLiteral("rect"));
        m_xml.writeAttribute(QStringLiteral("x"), px(x));
        m_xml.writeAttribute(QStringLiteral("y"), px(y));
        m_xml.writeAttribute(QStringLiteral("width"), px(width));
        m_xml.writeAttribute(QStringLiteral("height"), px(height));
        m_xml.writeAttribute(QStringLiteral("fill"), fill);
    }

    void circle(double x, double y, const QString &fill)
    {
        m_xml.writeEmptyElement(QStringLiteral("circle"));
        m_xml.writeAttribute(QStringLiteral("cx"), px(x));
        m_xml.writeAttribute(QStringLiteral("cy"), px(y));
        m_xml.writeAttribute(QStringLiteral("r"), QStringLiteral("4"));
        m_xml.writeAttribute(QStringLiteral("fill"), fill);
    }

    void polyline(const QList<std::pair<double, double>> &points, const QString &stroke, const QString &dash)
    {
        QStringList coordinates;
        for (const auto &[x, y] : points)
            coordinates.append(px(x) + QLatin1Char(',') + px(y));
        m_xml.writeEmptyElement(QStringLiteral("polyline"));
        m_xml.writeAttribute(QStringLiteral("points"), coordinates.join(QLatin1Char(' ')));
        m_xml.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
        m_xml.writeAttribute(QStringLiteral("stroke"), stroke);
        m_xml.writeAttribute(QStringLiteral("stroke-width"), QStringLiteral("2"));
        if (!dash.isEmpty())
            m_xml.writeAttribute(QStringLiteral("stroke-dasharray"), dash);
    }

    // anchor: start, middle or end; rotate: degrees about the anchor point.
    void text(double x, double y, const QString &content, const QString &anchor = QStringLiteral("start"),
              int size = FontSize, bool bold = false, int rotate = 0, const QString &fill = {})
    {
        m_xml.writeStartElement(QStringLiteral("text"));
        if (!fill.isEmpty())
            m_xml.writeAttribute(QStringLiteral("fill"), fill);
        m_xml.writeAttribute(QStringLiteral("x"), px(x));
        m_xml.writeAttribute(QStringLiteral("y"), px(y));
        m_xml.writeAttribute(QStringLiteral("text-anchor"), anchor);
        if (size != FontSize)
            m_xml.writeAttribute(QStringLiteral("font-size"), QString::number(size));
        if (bold)
            m_xml.writeAttribute(QStringLiteral("font-weight"), QStringLiteral("bold"));
        if (rotate != 0)
            m_xml.writeAttribute(QStringLiteral("transform"),
                                 QStringLiteral("rotate(%1 %2 %3)").arg(rotate).arg(px(x), px(y)));
        m_xml.writeCharacters(content);
        m_xml.writeEndElement();
    }

private:
    QByteArray m_out;
    QXmlStreamWriter m_xml;
};

constexpr int NoteLine = 18;
// Characters of a note line that fit the width of the chart.
constexpr int NoteWidth = 125;

// The notes broken between words into lines that fit.
QStringList wrapped(const QStringList &notes)
{
    QStringList lines;
    for (const QString &note : notes) {
        QString line;
        for (const QString &word : note.split(QLatin1Char(' '))) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > NoteWidth) {
                lines.append(line);
                line = QStringLiteral("    ");
            }
            line += (line.isEmpty() || line.endsWith(QLatin1Char(' ')) ? QString() : QStringLiteral(" ")) + word;
        }
        lines.append(line);
    }
    return lines;
}
const QString Grid = QStringLiteral("#dddddd");
const QString Ink = QStringLiteral("#333333");

} // namespace

QByteArray lineChartSvg(const LineChart &chart)
{
    const double left = 90, top = 70, right = 640, bottom = 460;
    const int width = 1000;
    const QStringList notes = wrapped(chart.notes);
    const int height = 566 + NoteLine * int(notes.size());
    Svg svg(width, height);
    svg.text(width / 2.0, 34, chart.title, QStringLiteral("middle"), 20, true);

    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    auto widen = [](double &lo, double &hi, double value) {
        if (value <= 0)
            return;
        lo = lo > 0 ? std::min(lo, value) : value;
        hi = std::max(hi, value);
    };
    for (const auto &[x, label] : chart.xTicks)
        widen(xMin, xMax, x);
    for (const ChartSeries &series : chart.series)
        for (const ChartPoint &p : series.points) {
            widen(xMin, xMax, p.x);
            widen(yMin, yMax, p.low > 0 ? p.low : p.y);
            widen(yMin, yMax, std::max(p.high, p.y));
        }
    if (xMin <= 0)
        xMin = xMax = 1;
    if (yMin <= 0)
        yMin = yMax = 1;
    // Half a decade of room either side of the outer sizes.
    LogAxis xAxis{xMin / 3, xMax * 3, left, right};
    const LogAxis yAxis = LogAxis::around(yMin, yMax, bottom, top);

    for (double tick : yAxis.ticks()) {
        svg.line(left, yAxis.at(tick), right, yAxis.at(tick), Grid);
        svg.text(left - 8, yAxis.at(tick) + 5, number(tick), QStringLiteral("end"));
    }
    for (const auto &[x, label] : chart.xTicks) {
        svg.line(xAxis.at(x), top, xAxis.at(x), bottom, Grid);
        const QStringList lines = label.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i)
            svg.text(xAxis.at(x), bottom + 22 + 17 * i, lines.at(i), QStringLiteral("middle"));
    }
    svg.line(left, bottom, right, bottom, Ink, 1.5);
    svg.line(left, top, left, bottom, Ink, 1.5);
    svg.text((left + right) / 2, bottom + 70, chart.xLabel, QStringLiteral("middle"), 15, true);
    svg.text(28, (top + bottom) / 2, chart.yLabel, QStringLiteral("middle"), 15, true, -90);

    double legendY = top + 10;
    int colour = 0;
    for (const ChartSeries &series : chart.series) {
        // Each line a few pixels beside the next, so that error bars at the
        // same size do not hide one another.
        const double nudge = (colour - (chart.series.size() - 1) / 2.0) * 7;
        const QString stroke = QString::fromLatin1(Palette[colour++ % std::size(Palette)]);
        const QString dash = series.dashed ? QStringLiteral("7 5") : QString();
        QList<ChartPoint> points = series.points;
        std::sort(points.begin(), points.end(), [](const ChartPoint &a, const ChartPoint &b) { return a.x < b.x; });
        QList<std::pair<double, double>> line;
        for (const ChartPoint &p : points) {
            if (p.x <= 0 || p.y <= 0)
                continue;
            const double x = xAxis.at(p.x) + nudge;
            line.append({x, yAxis.at(p.y)});
            if (p.low > 0 && p.high > p.low) {
                svg.line(x, yAxis.at(p.low), x, yAxis.at(p.high), stroke, 1.5);
                svg.line(x - 5, yAxis.at(p.low), x + 5, yAxis.at(p.low), stroke, 1.5);
                svg.line(x - 5, yAxis.at(p.high), x + 5, yAxis.at(p.high), stroke, 1.5);
            }
        }
        svg.polyline(line, stroke, dash);
        for (const auto &[x, y] : line)
            svg.circle(x, y, stroke);
        svg.line(right + 25, legendY, right + 60, legendY, stroke, 2, dash);
        svg.circle(right + 42.5, legendY, stroke);
        svg.text(right + 70, legendY + 5, series.name);
        legendY += 24;
    }
    svg.text(right + 25, legendY + 10, QStringLiteral("bars: fastest to slowest round"), QStringLiteral("start"), 12);
    for (qsizetype i = 0; i < notes.size(); ++i)
        svg.text(24, 558 + NoteLine * i, notes.at(i), QStringLiteral("start"), 13);
    return svg.finish();
}

QByteArray barChartSvg(const BarChart &chart)
{
    const double left = 300, right = 820, top = 70, rowHeight = 44;
    const int width = 960;
    const double bottom = top + rowHeight * std::max<qsizetype>(1, chart.bars.size());
    const QStringList notes = wrapped(chart.notes);
    const int height = int(bottom) + 90 + NoteLine * int(notes.size());
    Svg svg(width, height);
    svg.text(width / 2.0, 34, chart.title, QStringLiteral("middle"), 20, true);

    double smallest = 0, largest = 0;
    for (const BarChart::Bar &bar : chart.bars)
        if (bar.value > 0) {
            smallest = smallest > 0 ? std::min(smallest, bar.value) : bar.value;
            largest = std::max(largest, bar.value);
        }
    if (smallest <= 0)
        smallest = largest = 1;
    const LogAxis axis = LogAxis::around(smallest, largest, left, right);
    for (double tick : axis.ticks()) {
        svg.line(axis.at(tick), top - 6, axis.at(tick), bottom, Grid);
        svg.text(axis.at(tick), bottom + 20, number(tick), QStringLiteral("middle"));
    }
    double y = top;
    for (const BarChart::Bar &bar : chart.bars) {
        svg.text(left - 10, y + rowHeight / 2 + 5, bar.label, QStringLiteral("end"), FontSize, bar.ours);
        if (bar.value > 0) {
            const double end = axis.at(bar.value);
            svg.rect(left, y + 8, std::max(2.0, end - left), rowHeight - 16,
                     bar.ours ? QString::fromLatin1(Palette[0]) : QStringLiteral("#777777"));
            // A long bar carries its figure inside, where there is room.
            if (end > right - 260)
                svg.text(end - 8, y + rowHeight / 2 + 5, bar.text, QStringLiteral("end"), 13, true, 0,
                         QStringLiteral("#ffffff"));
            else
                svg.text(end + 8, y + rowHeight / 2 + 5, bar.text, QStringLiteral("start"), 13);
        } else {
            svg.text(left + 8, y + rowHeight / 2 + 5, bar.text, QStringLiteral("start"), 13);
        }
        y += rowHeight;
    }
    svg.line(left, bottom, right, bottom, Ink, 1.5);
    svg.line(left, top - 6, left, bottom, Ink, 1.5);
    svg.text((left + right) / 2, bottom + 50, chart.axisLabel, QStringLiteral("middle"), 15, true);
    for (qsizetype i = 0; i < notes.size(); ++i)
        svg.text(24, bottom + 80 + NoteLine * i, notes.at(i), QStringLiteral("start"), 13);
    return svg.finish();
}

} // namespace folio::bench
