#pragma once

// Reads back what a PDF written by Qt's printer holds, without another
// program: the text of each page (through each font's ToUnicode map), the
// fonts and the fill colours the pages use.

#include <QString>
#include <QStringList>

namespace folio::test {

struct PdfContent
{
    QStringList pages;       // the text of each page, blanks between runs of glyphs
    QStringList fonts;       // base font names, e.g. DejaVuSans-Bold
    QStringList fillColors;  // "r g b" as set on the pages, e.g. "1 0 0"
    bool readable = false;   // the file was a PDF this reader understood
    QString text() const { return pages.join(QLatin1Char(' ')); }
};

PdfContent readPdf(const QString &path);

} // namespace folio::test
