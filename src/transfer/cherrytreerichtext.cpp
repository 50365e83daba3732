#include "transfer/cherrytreerichtext.h"

#include "transfer/importmodel.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <utility>

namespace folio {
namespace {

// The source writes lists as text: a bullet or a check box and a space.
const QString kBulletMarks = QStringLiteral("•◇▪-→⇒");
const QString kTodoMarks = QStringLiteral("☐☑☒");

bool isHeading(const QString &scale)
{
    return scale.size() == 2 && scale[0] == u'h' && scale[1] >= u'1' && scale[1] <= u'6';
}

// Point sizes for scaled text inside a line, from the source's scale factors
// over its usual 11 pt.
int pointSize(const QString &scale)
{
    static const QList<std::pair<QString, int>> sizes = {
        {QStringLiteral("h1"), 19}, {QStringLiteral("h2"), 16}, {QStringLiteral("h3"), 13},
        {QStringLiteral("h4"), 13}, {QStringLiteral("h5"), 12}, {QStringLiteral("h6"), 12},
        {QStringLiteral("small"), 9}};
    for (const auto &[name, points] : sizes) {
        if (name == scale)
            return points;
    }
    return 0;
}

} // namespace

QString cherryWebTarget(const QString &link)
{
    if (!link.startsWith(QLatin1String("webs ")))
        return {};
    QString url = link.mid(5).trimmed();
    if (url.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        url.prepend(QLatin1String("http://"));
    const qsizetype colon = url.indexOf(u':');
    const QString scheme = colon > 0 ? url.left(colon).toLower() : QString();
    static const QStringList allowed = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("mailto"), QStringLiteral("file")};
    return allowed.contains(scheme) ? url : QString();
}

namespace {

// HTML folds runs of spaces into one; the source indents with them.
QString keepSpaces(const QString &escaped)
{
    QString out;
    out.reserve(escaped.size());
    bool previousSpace = false;
    for (const QChar c : escaped) {
        if (c == u' ' && previousSpace) {
            out += QLatin1String("&nbsp;");
            continue;
        }
        out += c;
        previousSpace = c == u' ';
    }
    return out;
}

QString wrap(const QString &html, const char *tag)
{
    return QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), html);
}

QString formatted(const QString &text, const CherryFormat &f, bool inHeading)
{
    QString html = keepSpaces(text.toHtmlEscaped());
    if (f.scale == QLatin1String("sup") || f.scale == QLatin1String("sub"))
        html = wrap(html, f.scale == QLatin1String("sup") ? "sup" : "sub");
    if (f.monospace)
        html = wrap(html, "code");
    QStringList style;
    if (!f.foreground.isEmpty())
        style << QStringLiteral("color:") + f.foreground;
    if (!f.background.isEmpty())
        style << QStringLiteral("background-color:") + f.background;
    if (const int points = inHeading ? 0 : pointSize(f.scale))
        style << QStringLiteral("font-size:%1pt").arg(points);
    if (!style.isEmpty())
        html = QStringLiteral("<span style=\"%1\">%2</span>").arg(style.join(u';'), html);
    if (f.strike)
        html = wrap(html, "s");
    const bool nodeLink = f.link.startsWith(QLatin1String("node "));
    if (f.underline || nodeLink) // links between notes cannot follow; underlined they still show
        html = wrap(html, "u");
    if (f.italic)
        html = wrap(html, "i");
    if (f.bold)
        html = wrap(html, "b");
    if (const QString url = cherryWebTarget(f.link); !url.isEmpty())
        html = QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), html);
    return html;
}

QString alignStyle(const QString &justification)
{
    if (justification == QLatin1String("center") || justification == QLatin1String("right"))
        return QStringLiteral(" style=\"text-align:%1\"").arg(justification);
    if (justification == QLatin1String("fill"))
        return QStringLiteral(" style=\"text-align:justify\"");
    return {};
}

// Collects a note line by line and writes each line as a paragraph, heading
// or list item once its end is known.
class BodyWriter
{
public:
    explicit BodyWriter(const QList<CherryFormat> &formats) : m_formats(formats) {}

    void text(const QString &text, qsizetype format)
    {
        if (!text.isEmpty())
            m_line.append({text, format, {}});
    }
    void inlineHtml(const QString &html) { m_line.append({{}, -1, html}); }
    void block(const QString &html)
    {
        if (!m_line.isEmpty())
            flushLine();
        closeList();
        m_out += html;
        m_afterBlock = true;
    }
    void newline() { flushLine(); }
    QString finish()
    {
        if (!m_line.isEmpty())
            flushLine();
        closeList();
        return m_out;
    }

private:
    struct Segment
    {
        QString text;
        qsizetype format; // -1: `html` is ready-made
        QString html;
    };
    enum class ListMark { None, Bullet, Todo };

    ListMark takeListMark();
    QString headingLevel() const;
    void flushLine();
    void closeList()
    {
        if (std::exchange(m_inList, false))
            m_out += QLatin1String("</ul>");
    }

    const QList<CherryFormat> &m_formats;
    QList<Segment> m_line;
    QString m_out;
    bool m_inList = false;
    bool m_afterBlock = false;
};

BodyWriter::ListMark BodyWriter::takeListMark()
{
    if (m_line.isEmpty() || m_line.first().format < 0)
        return ListMark::None;
    QString &text = m_line.first().text;
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (i + 1 >= text.size() || text[i + 1] != u' ')
        return ListMark::None;
    if (kTodoMarks.contains(text[i])) {
        text.remove(0, i); // the check box stays: it is the item's state
        return ListMark::Todo;
    }
    if (!kBulletMarks.contains(text[i]))
        return ListMark::None;
    text.remove(0, i + 2);
    return ListMark::Bullet;
}

QString BodyWriter::headingLevel() const
{
    QString level;
    for (const Segment &s : m_line) {
        if (s.format < 0)
            continue;
        const QString &scale = m_formats[s.format].scale;
        if (!isHeading(scale) || (!level.isEmpty() && level != scale))
            return {};
        level = scale;
    }
    return level;
}

void BodyWriter::flushLine()
{
    const bool afterBlock = std::exchange(m_afterBlock, false);
    if (m_line.isEmpty()) {
        // The line break that follows a table or code box is not an empty paragraph.
        if (!afterBlock) {
            closeList();
            m_out += QLatin1String("<p><br></p>");
        }
        return;
    }
    const ListMark mark = takeListMark();
    const QString heading = mark == ListMark::None ? headingLevel() : QString();
    QString inner;
    QString justification;
    for (const Segment &s : std::as_const(m_line)) {
        if (s.format < 0) {
            inner += s.html;
            continue;
        }
        if (justification.isEmpty())
            justification = m_formats[s.format].justification;
        inner += formatted(s.text, m_formats[s.format], !heading.isEmpty());
    }
    m_line.clear();
    const QString style = alignStyle(justification);
    if (mark != ListMark::None) {
        if (!std::exchange(m_inList, true))
            m_out += QLatin1String("<ul>");
        m_out += QStringLiteral("<li%1>%2</li>").arg(style, inner);
        return;
    }
    closeList();
    const QString tag = heading.isEmpty() ? QStringLiteral("p") : heading;
    m_out += QStringLiteral("<%1%2>%3</%1>").arg(tag, style, inner);
}

} // namespace

void CherryNoteHtml::addText(const QString &text, const CherryFormat &format)
{
    if (text.isEmpty())
        return;
    m_formats.append(format);
    m_runs.append({text, m_formats.size() - 1});
}

void CherryNoteHtml::readRun(QXmlStreamReader &xml)
{
    CherryFormat f;
    for (const QXmlStreamAttribute &attribute : xml.attributes()) {
        const QStringView name = attribute.name();
        const QString value = attribute.value().toString();
        if (name == u"weight")
            f.bold = value == QLatin1String("heavy");
        else if (name == u"style")
            f.italic = value == QLatin1String("italic");
        else if (name == u"underline")
            f.underline = !value.isEmpty() && value != QLatin1String("none");
        else if (name == u"strikethrough")
            f.strike = value == QLatin1String("true");
        else if (name == u"foreground")
            f.foreground = cherryColour(value);
        else if (name == u"background")
            f.background = cherryColour(value);
        else if (name == u"scale")
            f.scale = value;
        else if (name == u"family")
            f.monospace = value == QLatin1String("monospace");
        else if (name == u"justification")
            f.justification = value;
        else if (name == u"link") {
            f.link = value;
            static const QStringList kinds = {QStringLiteral("webs "), QStringLiteral("file "),
                                              QStringLiteral("fold "), QStringLiteral("node ")};
            if (!std::any_of(kinds.begin(), kinds.end(), [&](const QString &k) { return value.startsWith(k); }))
                m_unknown = true;
        } else if (name != u"indent" && name != u"invisible")
            m_unknown = true;
    }
    addText(xml.readElementText(QXmlStreamReader::IncludeChildElements), f);
}

void CherryNoteHtml::addInsert(qint64 offset, const QString &html, bool block)
{
    m_inserts.append({offset, html, block});
}

QString CherryNoteHtml::toHtml() const
{
    QList<Insert> inserts = m_inserts;
    std::stable_sort(inserts.begin(), inserts.end(),
                     [](const Insert &a, const Insert &b) { return a.offset < b.offset; });
    BodyWriter out(m_formats);
    qsizetype next = 0;
    qint64 position = 0; // code points of text written so far
    auto due = [&] { return next < inserts.size() && inserts[next].offset - next <= position; };
    auto place = [&](const Insert &insert) {
        if (insert.block)
            out.block(insert.html);
        else if (!insert.html.isEmpty())
            out.inlineHtml(insert.html);
    };
    for (const Run &run : m_runs) {
        const QString &t = run.text;
        qsizetype start = 0;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (due()) {
                out.text(t.mid(start, i - start), run.format);
                start = i;
                while (due())
                    place(inserts[next++]);
            }
            if (t[i] == u'\n') {
                out.text(t.mid(start, i - start), run.format);
                out.newline();
                start = i + 1;
            }
            if (!t[i].isHighSurrogate()) // a surrogate pair is one character
                ++position;
        }
        out.text(t.mid(start), run.format);
    }
    while (next < inserts.size())
        place(inserts[next++]);
    return out.finish();
}

QString CherryNoteHtml::toPreHtml() const
{
    QString text;
    for (const Run &run : m_runs)
        text += run.text;
    return cherryPreHtml(text);
}

QString cherryColour(const QString &value)
{
    if (!value.startsWith(u'#'))
        return {};
    const QString hex = value.mid(1).toLower();
    const bool allHex = std::all_of(hex.begin(), hex.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
    });
    if (!allHex)
        return {};
    if (hex.size() == 12) // 16 bits a channel: the high byte of each is enough
        return u'#' + hex.mid(0, 2) + hex.mid(4, 2) + hex.mid(8, 2);
    if (hex.size() == 6)
        return u'#' + hex;
    return {};
}

QString cherryPreHtml(const QString &text)
{
    return QStringLiteral("<pre>%1</pre>").arg(text.toHtmlEscaped());
}

QString cherryTableHtml(QXmlStreamReader &xml)
{
    QList<QStringList> rows;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"row") {
            xml.skipCurrentElement();
            continue;
        }
        QStringList cells;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"cell")
                cells << xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else
                xml.skipCurrentElement();
        }
        rows << cells;
    }
    if (!rows.isEmpty())
        rows.prepend(rows.takeLast());
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QLatin1String tag(r == 0 ? "th" : "td");
        html += QLatin1String("<tr>");
        for (const QString &cell : std::as_const(rows[r])) {
            const QString text = cell.toHtmlEscaped().replace(u'\n', QLatin1String("<br>"));
            html += QStringLiteral("<%1>%2</%1>").arg(tag, text);
        }
        html += QLatin1String("</tr>");
    }
    return html + QLatin1String("</table>");
}

bool cherryReadNodeXml(const QString &text, CherryNoteHtml &note)
{
    QXmlStreamReader xml(text);
    if (xml.readNextStartElement()) {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"rich_text") {
                note.readRun(xml);
            } else {
                note.noteUnknown();
                note.addText(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            }
        }
    }
    return !xml.hasError();
}

bool cherryIsFormula(const QString &filename)
{
    return filename == QLatin1String("__ct_special.tex");
}

void cherryAddEmbedded(CherryNoteHtml &note, const CherryEmbedded &e, const QString &item, int &pictures,
                       ImportLog &log)
{
    if (!e.anchor.isEmpty()) {
        note.addInsert(e.offset, {}, false); // a jump target takes a character and shows nothing
    } else if (cherryIsFormula(e.filename)) {
        note.addInsert(e.offset, cherryPreHtml(QString::fromUtf8(e.content)), true);
    } else if (!e.filename.isEmpty()) {
        log.skip(QStringLiteral("%1 / %2").arg(item, e.filename), QStringLiteral("attached file not imported"));
        note.addInsert(e.offset, QStringLiteral("[attached file: %1]").arg(e.filename.toHtmlEscaped()), false);
    } else {
        const QString url = log.embedPicture(e.content, QStringLiteral("%1 / picture %2").arg(item).arg(++pictures));
        QString html = url.isEmpty() ? QStringLiteral("[picture]")
                                     : QStringLiteral("<img src=\"%1\">").arg(url.toHtmlEscaped());
        if (const QString target = cherryWebTarget(e.link); !target.isEmpty() && !url.isEmpty())
            html = QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), html);
        note.addInsert(e.offset, html, false);
    }
}

QString cherryStripTags(const QString &markup)
{
    QString text;
    text.reserve(markup.size());
    bool inTag = false;
    for (const QChar c : markup) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>' && inTag)
            inTag = false;
        else if (!inTag)
            text += c;
    }
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    return text.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

} // namespace folio
