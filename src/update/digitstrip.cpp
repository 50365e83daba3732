#include "update/digitstrip.h"

#include <QLabel>
#include <QPainter>

namespace folio {

namespace {

// Seven segments a-g of a cell, as lines (x1, y1, x2, y2).
constexpr int Segments[7][4] = {
    {4, 2, 9, 2},    // a: top
    {11, 4, 11, 8},  // b: upper right
    {11, 12, 11, 16}, // c: lower right
    {4, 18, 9, 18},  // d: bottom
    {2, 12, 2, 16},  // e: lower left
    {2, 4, 2, 8},    // f: upper left
    {4, 10, 9, 10},  // g: middle
};

// Which segments light for the digits 0-9 (bit 0 = a ... bit 6 = g).
constexpr int DigitSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void drawSegments(QPainter &p, int x0, int mask)
{
    for (int s = 0; s < 7; ++s) {
        if (mask & (1 << s))
            p.drawLine(x0 + Segments[s][0], Segments[s][1], x0 + Segments[s][2], Segments[s][3]);
    }
}

void drawDot(QPainter &p, int x, int y)
{
    p.fillRect(x, y, 3, 3, DigitLit);
}

void drawCell(QPainter &p, int cell)
{
    const int x0 = cell * DigitCellWidth;
    if (cell < 10) {
        drawSegments(p, x0, DigitSegments[cell]);
        return;
    }
    switch (cell) {
    case 11: // ":"
        drawDot(p, x0 + 6, 5);
        drawDot(p, x0 + 6, 13);
        break;
    case 12: // ";"
        drawDot(p, x0 + 6, 5);
        drawDot(p, x0 + 6, 13);
        p.drawLine(x0 + 7, 16, x0 + 5, 19);
        break;
    case 13: // "-"
        drawSegments(p, x0, 1 << 6);
        break;
    case 14: // "'"
        p.drawLine(x0 + 7, 2, x0 + 7, 6);
        break;
    case 15: // "."
        drawDot(p, x0 + 6, 16);
        break;
    case 16: // ","
        drawDot(p, x0 + 6, 14);
        p.drawLine(x0 + 8, 16, x0 + 6, 19);
        break;
    default: // 10 (blank) and 17 (never drawn) stay empty
        break;
    }
}

} // namespace

QPixmap makeDigitStrip()
{
    QPixmap strip(DigitCells * DigitCellWidth, DigitCellHeight);
    strip.fill(DigitBackground);
    QPainter p(&strip);
    p.setPen(QPen(DigitLit, 2, Qt::SolidLine, Qt::FlatCap));
    for (int cell = 0; cell < DigitCells; ++cell)
        drawCell(p, cell);
    return strip;
}

int digitCell(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    static const QString others = QStringLiteral(" :;-'.,");
    const int at = others.indexOf(c);
    return at < 0 ? -1 : 10 + at;
}

void displayDigital(QLabel *display, const QString &text, const QPixmap &strip)
{
    const int cellWidth = strip.width() / DigitCells;
    const int height = strip.height();
    display->setFrameShape(QFrame::NoFrame);
    display->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    display->clear();
    const int width = int(text.size()) * cellWidth;
    display->setFixedSize(width, height);
    if (width == 0)
        return;
    QPixmap picture(width, height);
    picture.fill(DigitBackground);
    QPainter p(&picture);
    for (int i = 0; i < text.size(); ++i) {
        const int cell = digitCell(text.at(i));
        if (cell >= 0)
            p.drawPixmap(i * cellWidth, 0, strip, cell * cellWidth, 0, cellWidth, height);
    }
    p.end();
    display->setPixmap(picture);
}

} // namespace folio
