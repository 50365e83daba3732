#include "storage/htmlexport.h"

#include "storage/atomicfile.h"

#include <QRegularExpression>

namespace folio {

namespace {

// The longest file name Linux file systems take, in bytes.
constexpr int NameMax = 255;
const QString ExportSuffix = QStringLiteral(".htm");

int utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

QString mappedCharacter(char32_t c)
{
    if (c == U'\\' || c == U'/')  // a slash would name a folder
        return QStringLiteral("-");
    if (c == U':')
        return QStringLiteral("=");
    if (c < 0x20 || c == 0x7F)  // NUL cannot be in a name; the others only confuse
        return QStringLiteral(" ");
    return QString::fromUcs4(&c, 1);
}

} // namespace

QString exportFileName(const QString &title)
{
    QString stem;
    int bytes = 0;
    const QList<uint> characters = title.toUcs4();
    for (const uint c : characters) {
        bytes += utf8Length(c);
        if (bytes > NameMax - int(ExportSuffix.size()))
            break;
        stem += mappedCharacter(c);
    }
    return stem + ExportSuffix;
}

QString htmlDeclaringUtf8(const QString &html)
{
    static const QRegularExpression utf8Declared(QStringLiteral(R"(<meta\b[^>]*charset\s*=\s*["']?utf-8)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (utf8Declared.match(html).hasMatch())
        return html;
    // A browser follows the first declaration it meets: put ours first.
    static const QRegularExpression head(QStringLiteral(R"(<head\b[^>]*>)"), QRegularExpression::CaseInsensitiveOption);
    const QString meta = QStringLiteral("<meta charset=\"utf-8\" />");
    const QRegularExpressionMatch m = head.match(html);
    const qsizetype at = m.hasMatch() ? m.capturedEnd() : 0;
    return html.left(at) + meta + html.mid(at);
}

void writeHtmlExport(const QString &path, const QString &html)
{
    QByteArray bytes = htmlDeclaringUtf8(html).toUtf8();
    bytes.append('\n');
    writeFileAtomically(path, bytes, QStringLiteral("export the document to %1").arg(path));
}

} // namespace folio
