#include "support/pdftext.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QtEndian>

namespace folio::test {

namespace {

// Objects of the file: "n 0 obj <dictionary> [stream ... endstream] endobj",
// streams inflated. Qt names each font resource F<n> after its object n.
struct PdfObject
{
    QString dictionary;
    QString stream;
};

QHash<int, PdfObject> readObjects(const QByteArray &pdf)
{
    QHash<int, PdfObject> objects;
    static const QRegularExpression object(
        QStringLiteral(R"((\d+) 0 obj(.*?)(?:stream\r?\n(.*?)\r?\nendstream\s*)?endobj)"),
        QRegularExpression::DotMatchesEverythingOption);
    for (auto it = object.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QByteArray stream = m.captured(3).toLatin1();
        if (m.captured(2).contains(QStringLiteral("/FlateDecode"))) {
            QByteArray sized(4, '\0');
            qToBigEndian<quint32>(quint32(stream.size() * 8 + 1024), sized.data());
            stream = qUncompress(sized + stream);
        }
        objects.insert(m.captured(1).toInt(), {m.captured(2), QString::fromLatin1(stream)});
    }
    return objects;
}

// Glyph numbers to text from a ToUnicode map as Qt writes it:
// "<first> <last> [<utf16> <utf16> ...]" ranges.
QHash<uint, QChar> readCMap(const QString &cmap)
{
    QHash<uint, QChar> map;
    static const QRegularExpression range(QStringLiteral(R"(<([0-9A-Fa-f]+)> <[0-9A-Fa-f]+> \[([^\]]*)\])"));
    static const QRegularExpression hex(QStringLiteral(R"(<([0-9A-Fa-f]{4})>)"));
    for (auto it = range.globalMatch(cmap); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        uint glyph = m.captured(1).toUInt(nullptr, 16);
        for (auto h = hex.globalMatch(m.captured(2)); h.hasNext(); ++glyph)
            map.insert(glyph, QChar(char16_t(h.next().captured(1).toUInt(nullptr, 16))));
    }
    return map;
}

} // namespace

PdfContent readPdf(const QString &path)
{
    PdfContent content;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.peek(5) != "%PDF-")
        return content;
    const QHash<int, PdfObject> objects = readObjects(file.readAll());

    QHash<QString, QHash<uint, QChar>> fonts;  // by resource name
    static const QRegularExpression fontObject(
        QStringLiteral(R"(/Type /Font\s*/Subtype /Type0\s*/BaseFont /(\S+).*/ToUnicode (\d+) 0 R)"),
        QRegularExpression::DotMatchesEverythingOption);
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const QRegularExpressionMatch m = fontObject.match(it->dictionary);
        if (m.hasMatch()) {
            content.fonts << m.captured(1);
            fonts.insert(QStringLiteral("F%1").arg(it.key()), readCMap(objects.value(m.captured(2).toInt()).stream));
        }
    }

    QList<int> numbers = objects.keys();
    std::sort(numbers.begin(), numbers.end());  // pages in the order written
    static const QRegularExpression page(QStringLiteral(R"(/Type /Page\b.*/Contents (\d+) 0 R)"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression operation(
        QStringLiteral(R"(/(F\d+) [-\d.]+ Tf|<([0-9A-Fa-f]*)> Tj|([-\d.]+ [-\d.]+ [-\d.]+) scn|\bET\b)"));
    for (const int n : std::as_const(numbers)) {
        const QRegularExpressionMatch p = page.match(objects.value(n).dictionary);
        if (!p.hasMatch())
            continue;
        QString text;
        QHash<uint, QChar> font;
        for (auto op = operation.globalMatch(objects.value(p.captured(1).toInt()).stream); op.hasNext();) {
            const QRegularExpressionMatch m = op.next();
            if (m.capturedLength(1) > 0)
                font = fonts.value(m.captured(1));
            else if (m.capturedLength(2) > 0)
                for (qsizetype i = 0; i + 4 <= m.capturedLength(2); i += 4)
                    text += font.value(m.captured(2).mid(i, 4).toUInt(nullptr, 16));
            else if (m.capturedLength(3) > 0 && !content.fillColors.contains(m.captured(3)))
                content.fillColors << m.captured(3);
            else
                text += QLatin1Char(' ');  // end of a run of glyphs
        }
        content.pages << text.simplified();
    }
    content.readable = true;
    return content;
}

} // namespace folio::test
