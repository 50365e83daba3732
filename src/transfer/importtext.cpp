#include "transfer/importtext.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringConverter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace folio {

namespace {

constexpr qsizetype SniffBytes = 8192;

// UTF-16 and UTF-32 text is full of NUL bytes; only a byte-order mark tells
// it apart from binary data.
bool startsWithWideBom(const QByteArray &bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes);
    return encoding && *encoding != QStringConverter::Utf8;
}

QString decodeWithBom(const QByteArray &bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes);
    if (!encoding)
        return {};
    QStringDecoder decoder(*encoding); // drops the byte-order mark itself
    return decoder(bytes);
}

QString decodeUtf8OrLatin1(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// `<meta charset="x">` or `<meta http-equiv="Content-Type" content="...; charset=x">`
// near the top of the page.
QByteArray declaredCharset(const QByteArray &bytes)
{
    static const QRegularExpression meta(
        QStringLiteral(R"re(<meta\b[^>]*?charset\s*=\s*["']?\s*([A-Za-z0-9_.:\-]+))re"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = meta.match(QString::fromLatin1(bytes.left(SniffBytes)));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

// Tag contents and entities as the user reads them, on one line.
QString visibleText(QStringView html)
{
    const QString capped = html.left(4000).toString();
    return QTextDocumentFragment::fromHtml(capped).toPlainText().simplified();
}

// The text between `<tag ...>` at `from` and its closing tag; -1 in `end`
// when the element is not closed.
QStringView elementText(const QString &page, qsizetype open, QStringView closeTag, qsizetype *end)
{
    const qsizetype start = page.indexOf(u'>', open);
    const qsizetype close = start < 0 ? -1 : page.indexOf(closeTag, start, Qt::CaseInsensitive);
    *end = close;
    if (close < 0)
        return {};
    return QStringView(page).mid(start + 1, close - start - 1);
}

bool isTagStart(const QString &page, qsizetype at)
{
    if (at >= page.size())
        return false;
    const QChar c = page.at(at);
    return c == u'>' || c == u'/' || c.isSpace();
}

QString firstHeadingText(const QString &page)
{
    qsizetype from = 0;
    for (int tries = 0; tries < 50; ++tries) {
        const qsizetype open = page.indexOf(QLatin1String("<h"), from, Qt::CaseInsensitive);
        if (open < 0 || open + 3 >= page.size())
            return {};
        const QChar level = page.at(open + 2);
        from = open + 2;
        if (level < u'1' || level > u'6' || !isTagStart(page, open + 3))
            continue;
        qsizetype end = 0;
        const QString closeTag = QStringLiteral("</h") + level;
        const QString text = visibleText(elementText(page, open, closeTag, &end));
        if (end < 0)
            return {}; // an unclosed heading: later ones would be searched to the end again
        if (!text.isEmpty())
            return text;
        from = end;
    }
    return {};
}

qsizetype letterCount(QStringView text)
{
    qsizetype count = 0;
    for (const QChar c : text)
        count += c.isLetterOrNumber() ? 1 : 0;
    return count;
}

bool isKnownTag(const QString &name)
{
    static const QSet<QString> known = {
        "a", "abbr", "address", "b", "big", "blockquote", "br", "caption", "center", "cite", "code", "dd", "del",
        "dfn", "div", "dl", "dt", "em", "font", "h1", "h2", "h3", "h4", "h5", "h6", "hr", "i", "img", "ins", "kbd",
        "li", "nobr", "ol", "p", "pre", "q", "s", "samp", "small", "span", "strike", "strong", "sub", "sup",
        "table", "tbody", "td", "tfoot", "th", "thead", "tr", "tt", "u", "ul", "var"};
    return known.contains(name);
}

// Calls `visit` on the parts of lines [from, to) outside code spans.
template<typename Visit>
void forEachProse(QStringList &lines, qsizetype from, qsizetype to, Visit visit)
{
    for (qsizetype i = from; i < to; ++i) {
        if (!lines[i].contains(u'<'))
            continue;
        QStringList spans = lines[i].split(u'`'); // odd pieces are code spans
        for (qsizetype s = 0; s < spans.size(); s += 2)
            visit(spans[s]);
        lines[i] = spans.join(u'`');
    }
}

// Inline HTML the Markdown reader cannot close swallows the rest of the
// note: void elements written HTML-style (`<br>`), tags it does not know
// and tags left open within their paragraph. Void elements are rewritten
// as `<br/>`; the others are shown as text.
void tidyParagraph(QStringList &lines, qsizetype from, qsizetype to)
{
    static const QRegularExpression voidTag(QStringLiteral(R"re(<(br|hr|img|wbr|input)\b([^<>]*?)\s*(/?)>)re"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral(R"re(<(/?)([A-Za-z][A-Za-z0-9]*)(?=[\s/>])[^<>]*?(/?)>)re"));
    QHash<QString, int> open;
    forEachProse(lines, from, to, [&](QString &text) {
        text.replace(voidTag, QStringLiteral("<\\1\\2/>"));
        for (auto it = tag.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            if (match.capturedView(3).isEmpty())
                open[match.captured(2).toLower()] += match.capturedView(1).isEmpty() ? 1 : -1;
        }
    });
    forEachProse(lines, from, to, [&](QString &text) {
        QString out;
        qsizetype copied = 0;
        for (auto it = tag.globalMatch(text); it.hasNext();) {
            const auto match = it.next();
            const QString name = match.captured(2).toLower();
            if (isKnownTag(name) && open.value(name) == 0)
                continue;
            out += QStringView(text).mid(copied, match.capturedStart() - copied);
            out += QLatin1String("&lt;");
            copied = match.capturedStart() + 1;
        }
        if (copied > 0)
            text = out + text.mid(copied);
    });
}

// Tidies the inline HTML paragraph by paragraph; fenced code stays as it is.
QString tidyInlineHtml(const QString &markdown)
{
    if (!markdown.contains(u'<'))
        return markdown;
    QStringList lines = markdown.split(u'\n');
    bool inFence = false;
    qsizetype paragraph = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        const bool fence = trimmed.startsWith(QLatin1String("```")) || trimmed.startsWith(QLatin1String("~~~"));
        if (!inFence && (fence || trimmed.isEmpty()))
            tidyParagraph(lines, paragraph, i);
        if (fence)
            inFence = !inFence;
        if (inFence || fence || trimmed.isEmpty())
            paragraph = i + 1;
    }
    if (!inFence)
        tidyParagraph(lines, paragraph, lines.size());
    return lines.join(u'\n');
}

// Task list items become ordinary items starting with a check-box character.
void markCheckBoxes(QTextDocument &document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const auto marker = block.blockFormat().marker();
        if (marker == QTextBlockFormat::MarkerType::NoMarker)
            continue;
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setMarker(QTextBlockFormat::MarkerType::NoMarker);
        cursor.setBlockFormat(format);
        if (!block.textList())
            continue; // the reader sometimes leaves the marker on the paragraphs after a list
        cursor.insertText(marker == QTextBlockFormat::MarkerType::Checked ? QStringLiteral("\u2611 ")
                                                                          : QStringLiteral("\u2610 "));
    }
}

// Only links a reader can follow safely stay links; others keep their text.
QString dropUnsafeLinks(QString html)
{
    static const QRegularExpression anchor(QStringLiteral(R"re(<a href="([^"]*)")re"));
    static const QRegularExpression safe(QStringLiteral("^(https?|mailto|file):"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    for (auto it = anchor.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (safe.match(match.capturedView(1)).hasMatch())
            continue;
        out += QStringView(html).mid(last, match.capturedStart() - last);
        out += QLatin1String("<a");
        last = match.capturedEnd();
    }
    if (last == 0)
        return html;
    out += QStringView(html).mid(last);
    return out;
}

QString bodyInner(const QString &page)
{
    const qsizetype body = page.indexOf(QLatin1String("<body"));
    const qsizetype start = body < 0 ? -1 : page.indexOf(u'>', body);
    const qsizetype end = page.lastIndexOf(QLatin1String("</body>"));
    if (start < 0 || end < start)
        return page;
    return page.mid(start + 1, end - start - 1).trimmed();
}

// The text of a "# " heading on the first non-empty line, as written.
QString leadingTitleLine(const QString &markdown)
{
    static const QRegularExpression closingHashes(QStringLiteral("\\s#+\\s*$"));
    for (QStringView line : QStringView(markdown).split(u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (!line.startsWith(QLatin1String("# ")))
            return {};
        return line.mid(2).toString().remove(closingHashes).simplified();
    }
    return {};
}

// `&amp;`, `&quot;`, numeric references: what appears in attribute values.
QString decodeAttribute(const QString &value)
{
    if (!value.contains(u'&'))
        return value;
    QString markup = value;
    markup.replace(u'<', QLatin1String("&lt;")).replace(u'>', QLatin1String("&gt;"));
    return QTextDocumentFragment::fromHtml(markup).toPlainText();
}

} // namespace

bool looksBinary(const QByteArray &bytes)
{
    if (startsWithWideBom(bytes))
        return decodeWithBom(bytes.left(SniffBytes)).contains(QChar(0));
    return bytes.left(SniffBytes).contains('\0');
}

QString decodePlainText(const QByteArray &bytes)
{
    if (QStringConverter::encodingForData(bytes))
        return decodeWithBom(bytes);
    return decodeUtf8OrLatin1(bytes);
}

QString decodeHtmlPage(const QByteArray &bytes)
{
    if (QStringConverter::encodingForData(bytes))
        return decodeWithBom(bytes);
    const QByteArray charset = declaredCharset(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder declared(charset.constData());
        if (declared.isValid())
            return declared(bytes);
    }
    return decodeUtf8OrLatin1(bytes);
}

QString pageTitle(const QString &page)
{
    const qsizetype open = page.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    if (open >= 0 && isTagStart(page, open + 6)) {
        qsizetype end = 0;
        const QString title = visibleText(elementText(page, open, u"</title", &end));
        if (!title.isEmpty())
            return title;
    }
    return firstHeadingText(page);
}

bool isFolioIndexPage(const QString &page)
{
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression generator(QStringLiteral(R"re(\bname\s*=\s*["']?generator\b)re"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ours(QStringLiteral(R"re(\bcontent\s*=\s*["']Folio Keeper\b)re"));
    for (auto it = meta.globalMatch(page.left(SniffBytes)); it.hasNext();) {
        const QString tag = it.next().captured();
        if (generator.match(tag).hasMatch() && ours.match(tag).hasMatch())
            return true;
    }
    return false;
}

QString plainTextToHtml(const QString &text)
{
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QString html;
    QStringList paragraph;
    const auto flush = [&] {
        if (!paragraph.isEmpty())
            html += QLatin1String("<p>") + paragraph.join(QLatin1String("<br>")) + QLatin1String("</p>\n");
        paragraph.clear();
    };
    for (QStringView line : QStringView(normal).split(u'\n')) {
        if (line.trimmed().isEmpty())
            flush();
        else
            paragraph.append(line.toString().toHtmlEscaped());
    }
    flush();
    return html;
}

MarkdownPage markdownToHtml(const QString &markdown)
{
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.setMarkdown(tidyInlineHtml(markdown), QTextDocument::MarkdownDialectGitHub);

    // A construct the Markdown reader stumbles over can swallow the rest of
    // the note; keep the note as plain text rather than lose part of it.
    static const QRegularExpression notShown(QStringLiteral(R"re(\]\([^)]*\)|<[^<>]*>)re"));
    const qsizetype expected = letterCount(QString(markdown).remove(notShown));
    const QString titleLine = leadingTitleLine(markdown);
    if (letterCount(document.toPlainText()) * 2 < expected)
        return {titleLine, plainTextToHtml(markdown), true};

    MarkdownPage page;
    if (!titleLine.isEmpty() && document.begin().blockFormat().headingLevel() == 1)
        page.title = document.begin().text().remove(QChar::ObjectReplacementCharacter).simplified();
    markCheckBoxes(document);
    page.html = dropUnsafeLinks(bodyInner(document.toHtml()));
    return page;
}

QString replacePictureSources(const QString &html, const PictureResolver &resolve)
{
    static const QRegularExpression source(QStringLiteral(R"re(\bsrc\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype copied = 0;
    qsizetype from = 0;
    while ((from = html.indexOf(QLatin1String("<img"), from, Qt::CaseInsensitive)) >= 0) {
        const qsizetype end = html.indexOf(u'>', from);
        if (end < 0)
            break;
        const qsizetype tagStart = from;
        const auto match = source.match(html.mid(tagStart, end - tagStart));
        from = end;
        if (!match.hasMatch())
            continue;
        const int group = match.hasCaptured(1) ? 1 : match.hasCaptured(2) ? 2 : 3;
        const QString replacement = resolve(decodeAttribute(match.captured(group)));
        if (replacement.isEmpty())
            continue;
        out += QStringView(html).mid(copied, tagStart + match.capturedStart() - copied);
        out += QLatin1String("src=\"") + replacement.toHtmlEscaped() + u'"';
        copied = tagStart + match.capturedEnd();
    }
    if (copied == 0)
        return html;
    out += QStringView(html).mid(copied);
    return out;
}

} // namespace folio
