// Block-level Zim wiki markup to HTML: each line is looked at in turn;
// headings, rules, tables, list items and verbatim blocks are recognised at
// the start of a line, the rest is paragraph text.

#include "transfer/zimwikitext.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace folio {
namespace {

constexpr int MaxListDepth = 16;

QString esc(QStringView text) { return text.toString().toHtmlEscaped(); }

// Leading tabs give the nesting of list items and the indent of text; the
// wiki program reads four blanks as one tab.
struct Indented
{
    int level = 0;
    QStringView text;
};

Indented splitIndent(QStringView line)
{
    int level = 0, blanks = 0;
    qsizetype i = 0;
    for (; i < line.size() && (line[i] == u'\t' || line[i] == u' '); ++i) {
        if (line[i] == u'\t' || ++blanks == 4) {
            ++level;
            blanks = 0;
        }
    }
    return {std::min(level, MaxListDepth), line.mid(i)};
}

// "====== Title ======" (six marks are the top level, two the fifth).
QRegularExpressionMatch matchHeading(const QString &line)
{
    static const QRegularExpression re(QStringLiteral("^(={2,})[ \\t]+(\\S.*?)[ \\t]*=*$"));
    return re.match(line);
}

// A table row "| a | b\\|c |": cells split at bars that are not escaped,
// each cell as its lines ("\n" inside a cell is a line break).
QList<QStringList> splitCells(QStringView row)
{
    QList<QStringList> cells;
    QStringList lines{QString()};
    for (qsizetype i = 1; i < row.size() - 1; ++i) {
        if (row[i] == u'\\' && i + 1 < row.size() - 1) {
            const QChar next = row[++i];
            if (next == u'n')
                lines.append(QString());
            else
                lines.last() += next;
        } else if (row[i] == u'|') {
            cells.append(lines);
            lines = QStringList{QString()};
        } else {
            lines.last() += row[i];
        }
    }
    cells.append(lines);
    return cells;
}

class BlockWriter
{
public:
    BlockWriter(const QStringList &lines, ZimPageContext &ctx) : m_lines(lines), m_ctx(ctx) {}

    QString run(qsizetype from)
    {
        for (m_pos = from; m_pos < m_lines.size();) {
            if (!(verbatimBlock() || objectBlock() || heading() || rule() || table() || listItem()))
                textLine();
        }
        closeBlocks();
        return m_html;
    }

private:
    struct OpenList
    {
        QString kind; // "ul", or "ol" with its numbering
        bool itemOpen = false;
    };

    // The line after `from` that closes a block opened with `marker`; a
    // marker already known to have no closing line is not searched again.
    qsizetype closingLine(const QString &marker, qsizetype from)
    {
        if (m_unclosed.contains(marker))
            return -1;
        for (qsizetype i = from; i < m_lines.size(); ++i) {
            if (m_lines[i].startsWith(marker) && m_lines[i].mid(marker.size()).trimmed().isEmpty())
                return i;
        }
        m_unclosed.insert(marker);
        return -1;
    }

    // The lines between an opening and closing line, without their indent.
    QString blockText(qsizetype first, qsizetype end, const QString &indent) const
    {
        QStringList body;
        for (qsizetype i = first; i < end; ++i)
            body.append(m_lines[i].startsWith(indent) ? m_lines[i].mid(indent.size()) : m_lines[i]);
        return body.join(QLatin1Char('\n'));
    }

    bool verbatimBlock()
    {
        static const QRegularExpression open(QStringLiteral("^(\\t*)'''\\s*$"));
        const auto m = open.match(m_lines[m_pos]);
        const qsizetype end = m.hasMatch() ? closingLine(m.captured(1) + QStringLiteral("'''"), m_pos + 1) : -1;
        if (end < 0)
            return false;
        closeBlocks();
        m_html += QStringLiteral("<pre>%1</pre>").arg(esc(blockText(m_pos + 1, end, m.captured(1))));
        m_pos = end + 1;
        return true;
    }

    // "{{{code: lang=…" … "}}}": source code becomes a verbatim block; other
    // embedded objects are kept whole as text.
    bool objectBlock()
    {
        static const QRegularExpression open(QStringLiteral("^(\\t*)\\{\\{\\{\\s*([^\\s:]+):"));
        const auto m = open.match(m_lines[m_pos]);
        const qsizetype end = m.hasMatch() ? closingLine(m.captured(1) + QStringLiteral("}}}"), m_pos + 1) : -1;
        if (end < 0)
            return false;
        closeBlocks();
        const bool code = m.captured(2).toLower() == QLatin1String("code");
        if (!code)
            m_ctx.reportUnknown();
        const QString text = code ? blockText(m_pos + 1, end, m.captured(1)) : blockText(m_pos, end + 1, QString());
        m_html += QStringLiteral("<pre>%1</pre>").arg(esc(text));
        m_pos = end + 1;
        return true;
    }

    bool heading()
    {
        const auto m = matchHeading(m_lines[m_pos]);
        if (!m.hasMatch())
            return false;
        closeBlocks();
        const int level = 7 - std::min<int>(6, m.capturedLength(1));
        m_html += QStringLiteral("<h%1>%2</h%1>").arg(level).arg(zimInlineHtml(m.capturedView(2), m_ctx));
        ++m_pos;
        return true;
    }

    bool rule()
    {
        static const QRegularExpression re(QStringLiteral("^-{5,}$"));
        if (!re.match(m_lines[m_pos]).hasMatch())
            return false;
        closeBlocks();
        m_html += QStringLiteral("<hr>");
        ++m_pos;
        return true;
    }

    bool table();
    bool listItem();
    void openItem(int level, const QString &kind, const QString &openTag);
    void textLine();

    void closeParagraph()
    {
        if (m_paragraphLevel >= 0)
            m_html += QStringLiteral("</p>");
        m_paragraphLevel = -1;
    }

    void closeList()
    {
        const OpenList list = m_lists.takeLast();
        m_html += (list.itemOpen ? QStringLiteral("</li></") : QStringLiteral("</")) + list.kind.left(2) + u'>';
    }

    void closeBlocks()
    {
        closeParagraph();
        while (!m_lists.isEmpty())
            closeList();
    }

    const QStringList &m_lines;
    ZimPageContext &m_ctx;
    qsizetype m_pos = 0;
    QString m_html;
    int m_paragraphLevel = -1; // indent of the open paragraph, -1 for none
    QList<OpenList> m_lists;
    QSet<QString> m_unclosed;
};

// A table: a header row, an optional alignment row ("|---|:--:|") and at
// least one row more, each line starting and ending with a bar.
bool BlockWriter::table()
{
    auto isRow = [](const QString &line) {
        const QString t = line.trimmed();
        return t.size() >= 2 && t.startsWith(u'|') && t.endsWith(u'|');
    };
    qsizetype end = m_pos;
    while (end < m_lines.size() && isRow(m_lines[end]))
        ++end;
    static const QRegularExpression alignRow(QStringLiteral("^\\|[ |:-]+\\|$"));
    const bool aligned = end - m_pos >= 2 && alignRow.match(m_lines[m_pos + 1].trimmed()).hasMatch();
    if (end - m_pos < (aligned ? 3 : 2))
        return false;
    closeBlocks();
    QList<QList<QStringList>> rows;
    qsizetype columns = 0;
    for (qsizetype r = m_pos; r < end; ++r) {
        if (!(aligned && r == m_pos + 1))
            columns = std::max(columns, rows.emplaceBack(splitCells(m_lines[r].trimmed())).size());
    }
    m_html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString tag = r == 0 ? QStringLiteral("th") : QStringLiteral("td");
        m_html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < columns; ++c) {
            QStringList lines = c < rows[r].size() ? rows[r][c] : QStringList();
            for (QString &line : lines)
                line = zimInlineHtml(line.trimmed(), m_ctx);
            m_html += QStringLiteral("<%1>%2</%1>").arg(tag, lines.join(QStringLiteral("<br>")));
        }
        m_html += QStringLiteral("</tr>");
    }
    m_html += QStringLiteral("</table>");
    m_pos = end;
    return true;
}

// "* item", "1. item", "a. item", "[ ] task", nested by leading tabs.
bool BlockWriter::listItem()
{
    static const QRegularExpression bullet(
        QStringLiteral("^([*\\x{2022}]|\\[[ *x><]\\]|\\d+\\.|[a-zA-Z]\\.)[ \\t]+(.*)$"));
    const Indented line = splitIndent(m_lines[m_pos]);
    const auto m = bullet.match(line.text);
    if (!m.hasMatch())
        return false;
    const QString mark = m.captured(1);
    QString prefix;
    if (mark.startsWith(u'['))
        prefix = mark == QLatin1String("[ ]") ? QStringLiteral("\u2610 ")
               : mark == QLatin1String("[*]") ? QStringLiteral("\u2611 ")
                                              : QStringLiteral("\u2612 "); // crossed, or moved elsewhere
    if (!mark.endsWith(u'.')) {
        openItem(line.level, QStringLiteral("ul"), QStringLiteral("<ul>"));
    } else {
        const QString number = mark.chopped(1);
        const bool letter = !number[0].isDigit();
        const int start = letter ? number[0].toLower().unicode() - u'a' + 1 : number.toInt();
        QString tag = QStringLiteral("<ol");
        if (letter)
            tag += number[0].isUpper() ? QStringLiteral(" type=\"A\"") : QStringLiteral(" type=\"a\"");
        if (start > 1)
            tag += QStringLiteral(" start=\"%1\"").arg(start);
        openItem(line.level, QStringLiteral("ol") + (letter ? (number[0].isUpper() ? u'A' : u'a') : u'1'), tag + u'>');
    }
    m_html += prefix.toHtmlEscaped() + zimInlineHtml(m.capturedView(2), m_ctx);
    ++m_pos;
    return true;
}

// Deeper items open a list inside the item above them; a change between
// bullets and numbers at one level starts a new list.
void BlockWriter::openItem(int level, const QString &kind, const QString &openTag)
{
    closeParagraph();
    while (m_lists.size() > level + 1)
        closeList();
    if (m_lists.size() == level + 1 && m_lists.last().kind != kind)
        closeList();
    if (m_lists.size() == level + 1 && m_lists.last().itemOpen)
        m_html += QStringLiteral("</li>");
    while (m_lists.size() < level + 1) {
        m_html += openTag;
        m_lists.append({kind, false});
    }
    m_html += QStringLiteral("<li>");
    m_lists.last().itemOpen = true;
}

// Lines of a paragraph keep their line breaks, as the wiki shows them.
void BlockWriter::textLine()
{
    const QString &line = m_lines[m_pos++];
    if (line.trimmed().isEmpty()) {
        closeBlocks();
        return;
    }
    while (!m_lists.isEmpty())
        closeList();
    const Indented in = splitIndent(line);
    if (m_paragraphLevel == in.level) {
        m_html += QStringLiteral("<br>");
    } else {
        closeParagraph();
        m_html += in.level ? QStringLiteral("<p style=\"margin-left:%1px\">").arg(30 * in.level) : QStringLiteral("<p>");
        m_paragraphLevel = in.level;
    }
    m_html += zimInlineHtml(in.text, m_ctx);
}

// The header block ("Content-Type: text/x-zim-wiki", "Wiki-Format: …",
// "Creation-Date: …") ends at the first blank line.
qsizetype bodyStart(const QStringList &lines)
{
    if (lines.isEmpty() || !lines.first().startsWith(QLatin1String("Content-Type:"), Qt::CaseInsensitive))
        return 0;
    static const QRegularExpression header(QStringLiteral("^[\\w-]+:"));
    qsizetype i = 0;
    while (i < lines.size() && header.match(lines[i]).hasMatch())
        ++i;
    return i < lines.size() && lines[i].trimmed().isEmpty() ? i + 1 : i;
}

} // namespace

ImportedDocument zimPageDocument(QString text, const QString &pageName, ZimPageContext &ctx)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n');
    qsizetype start = bodyStart(lines);
    while (start < lines.size() && lines[start].trimmed().isEmpty())
        ++start;
    ImportedDocument doc;
    if (start < lines.size()) {
        if (const auto m = matchHeading(lines[start]); m.hasMatch()) {
            doc.title = m.captured(2).trimmed();
            ++start;
        }
    }
    if (doc.title.isEmpty())
        doc.title = pageName.trimmed().isEmpty() ? QStringLiteral("Untitled") : pageName.trimmed();
    doc.html = BlockWriter(lines, ctx).run(start);
    return doc;
}

} // namespace folio
