#include "support/pdftext.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QtEndian>

namespace folio::test {

namespace {

struct PdfObject
{
    QByteArray dictionary;
    QByteArray stream;  // decoded
};

QByteArray inflate(const QByteArray &raw)
{
    QByteArray sized(4, '\0');
    qToBigEndian<quint32>(quint32(raw.size() * 8 + 1024), sized.data());
    return qUncompress(sized + raw);
}

QHash<int, PdfObject> readObjects(const QByteArray &pdf)
{
    QHash<int, PdfObject> objects;
    static const QRegularExpression start(QStringLiteral(R"((?:^|\n)(\d+) 0 obj\b)"));
    const QString latin = QString::fromLatin1(pdf);
    auto it = start.globalMatch(latin);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype begin = m.capturedEnd();
        const qsizetype end = pdf.indexOf("endobj", begin);
        if (end < 0)
            break;
        QByteArray body = pdf.mid(begin, end - begin);
        PdfObject object;
        const qsizetype streamAt = body.indexOf("stream");
        if (streamAt >= 0 && !body.mid(0, streamAt).endsWith("end")) {
            object.dictionary = body.left(streamAt);
            qsizetype data = streamAt + 6;
            if (body.mid(data, 2) == "\r\n")
                data += 2;
            else if (body.at(data) == '\n')
                data += 1;
            qsizetype stop = body.lastIndexOf("endstream");
            QByteArray raw = body.mid(data, stop - data);
            while (raw.endsWith('\n') || raw.endsWith('\r'))
                raw.chop(1);
            object.stream = object.dictionary.contains("/FlateDecode") ? inflate(raw) : raw;
        } else {
            object.dictionary = body;
        }
        objects.insert(m.captured(1).toInt(), object);
    }
    return objects;
}

QString utf16Hex(const QString &hex)
{
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
    return text;
}

// Glyph number to text, from a ToUnicode CMap's bfchar and bfrange entries.
QHash<uint, QString> readCMap(const QByteArray &cmap)
{
    QHash<uint, QString> map;
    const QString text = QString::fromLatin1(cmap);
    static const QRegularExpression range(
        QStringLiteral(R"(<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>\s*(\[[^\]]*\]|<[0-9A-Fa-f]+>))"));
    static const QRegularExpression hex(QStringLiteral(R"(<([0-9A-Fa-f]+)>)"));
    for (auto it = range.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const uint first = m.captured(1).toUInt(nullptr, 16);
        const uint last = m.captured(2).toUInt(nullptr, 16);
        const QString target = m.captured(3);
        if (target.startsWith(QLatin1Char('['))) {
            uint glyph = first;
            for (auto h = hex.globalMatch(target); h.hasNext() && glyph <= last; ++glyph)
                map.insert(glyph, utf16Hex(h.next().captured(1)));
        } else {
            const QString base = utf16Hex(target.mid(1, target.size() - 2));
            for (uint glyph = first; glyph <= last && !base.isEmpty(); ++glyph)
                map.insert(glyph, base.left(base.size() - 1) + QChar(base.back().unicode() + (glyph - first)));
        }
    }
    static const QRegularExpression single(QStringLiteral(R"(beginbfchar(.*?)endbfchar)"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression pair(QStringLiteral(R"(<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>)"));
    for (auto it = single.globalMatch(text); it.hasNext();)
        for (auto p = pair.globalMatch(it.next().captured(1)); p.hasNext();) {
            const QRegularExpressionMatch m = p.next();
            map.insert(m.captured(1).toUInt(nullptr, 16), utf16Hex(m.captured(2)));
        }
    return map;
}

int reference(const QByteArray &dictionary, const char *key)
{
    const QRegularExpression re(QStringLiteral("/%1\\s+(\\d+)\\s+0\\s+R").arg(QLatin1String(key)));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(dictionary));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

PdfContent readPdf(const QString &path)
{
    PdfContent content;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return content;
    const QByteArray pdf = file.readAll();
    if (!pdf.startsWith("%PDF-"))
        return content;
    const QHash<int, PdfObject> objects = readObjects(pdf);

    // Fonts: their names and ToUnicode maps, by object number.
    QHash<int, QHash<uint, QString>> maps;
    static const QRegularExpression baseFont(QStringLiteral(R"(/BaseFont\s*/([^\s/>]+))"));
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (!it->dictionary.contains("/Type /Font") || !it->dictionary.contains("/Type0"))
            continue;
        content.fonts << baseFont.match(QString::fromLatin1(it->dictionary)).captured(1);
        const int cmap = reference(it->dictionary, "ToUnicode");
        if (objects.contains(cmap))
            maps.insert(it.key(), readCMap(objects.value(cmap).stream));
    }

    // Pages in the order they were written; each page's font names.
    QList<int> pageNumbers = objects.keys();
    std::sort(pageNumbers.begin(), pageNumbers.end());
    static const QRegularExpression isPage(QStringLiteral(R"(/Type\s*/Page\b)"));
    static const QRegularExpression fontName(QStringLiteral(R"(/(F\d+)\s+(\d+)\s+0\s+R)"));
    static const QRegularExpression operation(QStringLiteral(
        R"(/(\S+)\s+[-\d.]+\s+Tf|<([0-9A-Fa-f]*)>\s*Tj|([-\d.]+\s+[-\d.]+\s+[-\d.]+)\s+scn|\bET\b)"));
    for (const int number : std::as_const(pageNumbers)) {
        const PdfObject &page = objects[number];
        if (!isPage.match(QString::fromLatin1(page.dictionary)).hasMatch())
            continue;
        QHash<QString, int> fontObjects;
        const int resources = reference(page.dictionary, "Resources");
        for (auto f = fontName.globalMatch(QString::fromLatin1(objects.value(resources).dictionary)); f.hasNext();) {
            const QRegularExpressionMatch m = f.next();
            fontObjects.insert(m.captured(1), m.captured(2).toInt());
        }
        QString text;
        QHash<uint, QString> map;
        const QString stream = QString::fromLatin1(objects.value(reference(page.dictionary, "Contents")).stream);
        for (auto op = operation.globalMatch(stream); op.hasNext();) {
            const QRegularExpressionMatch m = op.next();
            if (!m.captured(1).isEmpty()) {
                map = maps.value(fontObjects.value(m.captured(1), -1));
            } else if (m.capturedLength(2) > 0) {
                const QString hex = m.captured(2);
                for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
                    text += map.value(hex.mid(i, 4).toUInt(nullptr, 16));
            } else if (!m.captured(3).isEmpty()) {
                const QString color = m.captured(3).simplified();
                if (!content.fillColors.contains(color))
                    content.fillColors << color;
            } else {
                text += QLatin1Char(' ');
            }
        }
        content.pages << text.simplified();
    }
    content.readable = true;
    return content;
}

} // namespace folio::test
