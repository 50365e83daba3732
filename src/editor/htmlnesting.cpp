#include "editor/htmlnesting.h"

#include "editor/htmlelements.h"
#include "editor/htmlopenelements.h"

#include <algorithm>

namespace folio {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter();
}

// The end of the tag that starts at `from` ('<'): the index after its '>',
// quotes in attribute values respected; the text's end when it has none.
qsizetype tagEnd(const QString &html, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

QString tagName(const QString &html, qsizetype nameStart)
{
    qsizetype i = nameStart;
    while (i < html.size() && (html[i].isLetterOrNumber() || html[i] == u'-' || html[i] == u':'))
        ++i;
    return html.mid(nameStart, i - nameStart).toLower();
}

// Writes the output only once something is left out or added.
class Output
{
public:
    explicit Output(const QString &html) : m_html(html) {}
    // The input from `from` to `to` goes out as it is.
    void keep(qsizetype from, qsizetype to)
    {
        if (m_copying)
            m_out.append(QStringView(m_html).mid(from, to - from));
    }
    // The input from `at` on is not kept until the next keep().
    void skip(qsizetype at)
    {
        if (!m_copying) {
            m_out.reserve(m_html.size());
            m_out.append(QStringView(m_html).left(at));
            m_copying = true;
        }
    }
    // `text` goes out before the input at `at`.
    void insert(qsizetype at, QStringView text)
    {
        skip(at);
        m_out.append(text);
    }
    QString result() const { return m_copying ? m_out : m_html; }

private:
    const QString &m_html;
    QString m_out;
    bool m_copying = false;
};

// The one pass: follows which elements are open as the text control will
// see them, and leaves out, rewrites or adds tags where the limits say so.
class NestingCapper
{
public:
    NestingCapper(const QString &html, int maxDepth, int maxTableDepth)
        : m_html(html), m_maxDepth(maxDepth), m_maxTableDepth(maxTableDepth), m_out(html)
    {
    }
    QString run();

private:
    void startTag(const QString &name, qsizetype lt, qsizetype end, bool empty);
    void endTag(const QString &name, qsizetype lt, qsizetype end);
    void closeImplied(const QString &name, qsizetype at);
    void closeContentOf(int position, qsizetype at);
    bool needsImpliedTable(const QString &name) const;
    void flattenedTag(const QString &name, qsizetype lt, bool empty);
    void closeFrom(int position, qsizetype at, bool writeEndTags);

    const QString &m_html;
    const int m_maxDepth;
    const int m_maxTableDepth;
    Output m_out;
    OpenElements m_open;
};

QString NestingCapper::run()
{
    qsizetype i = 0;
    while (i < m_html.size()) {
        const qsizetype lt = m_html.indexOf(u'<', i);
        if (lt < 0) {
            m_out.keep(i, m_html.size());
            break;
        }
        m_out.keep(i, lt);
        const QChar next = lt + 1 < m_html.size() ? m_html[lt + 1] : QChar();
        if (next == u'!' && QStringView(m_html).mid(lt, 4) == u"<!--") {
            const qsizetype close = m_html.indexOf(QStringLiteral("-->"), lt + 4);
            i = close < 0 ? m_html.size() : close + 3;
            m_out.keep(lt, i);
            continue;
        }
        if (next != u'/' && !isNameStart(next)) {  // '<!…>', '<?…>' or a plain '<' in text
            i = next == u'!' || next == u'?' ? tagEnd(m_html, lt) : lt + 1;
            m_out.keep(lt, i);
            continue;
        }
        const qsizetype end = tagEnd(m_html, lt);
        i = end;
        if (next == u'/') {
            endTag(tagName(m_html, lt + 2), lt, end);
            continue;
        }
        const QString name = tagName(m_html, lt + 1);
        if (isRawTextElement(name)) {
            // Its content is not markup: copy it whole, up to its end tag.
            const qsizetype close = m_html.indexOf(QStringLiteral("</") + name, end, Qt::CaseInsensitive);
            i = close < 0 ? m_html.size() : tagEnd(m_html, close);
            m_out.keep(lt, i);
            continue;
        }
        const bool selfClosing = end - lt >= 2 && m_html[end - 2] == u'/';
        startTag(name, lt, end, selfClosing || isVoidElement(name));
    }
    return m_out.result();
}

// `empty`: a void or self-closing element, which opens no level.
void NestingCapper::startTag(const QString &name, qsizetype lt, qsizetype end, bool empty)
{
    closeImplied(name, lt);
    const bool tablePart = isTableFrame(name) || isTableCell(name);
    if (m_open.shownDepth() >= m_maxDepth && (!empty || tablePart)) {
        // Even an empty cell would make the control build a table around it.
        if (!empty)
            m_open.push(name, ElementShown::Dropped);
        m_out.skip(lt);
        return;
    }
    if (tablePart && (m_open.inFlattenedTable() || (name == u"table" && m_open.shownTables() >= m_maxTableDepth))) {
        flattenedTag(name, lt, empty);
        return;
    }
    if (needsImpliedTable(name)) {
        if (m_open.shownTables() >= m_maxTableDepth) {
            m_open.push(QStringLiteral("table"), ElementShown::Frame);
            flattenedTag(name, lt, empty);
            return;
        }
        m_open.push(QStringLiteral("table"), ElementShown::Implied);
        if (name != u"tr")
            m_open.push(QStringLiteral("tr"), ElementShown::Implied);
    }
    if (!empty)
        m_open.push(name, ElementShown::AsWritten);
    m_out.keep(lt, end);
}

void NestingCapper::endTag(const QString &name, qsizetype lt, qsizetype end)
{
    const int position = m_open.innermost(name);
    if (position < 0) {
        // Unmatched: the control ignores it. Inside a flattened table the
        // table's own tags go, so that none closes a table outside it.
        if (m_open.inFlattenedTable() && (isTableFrame(name) || isTableCell(name)))
            m_out.skip(lt);
        else
            m_out.keep(lt, end);
        return;
    }
    // The control closes the elements inside it too, unless a rewritten
    // one makes its elements differ from these.
    closeFrom(position + 1, lt, m_open.rewrittenFrom(position));
    switch (m_open.pop().shown) {
    case ElementShown::AsWritten:
    case ElementShown::Implied:
        m_out.keep(lt, end);
        break;
    case ElementShown::Cell:
        m_out.insert(lt, u"</div>");
        break;
    case ElementShown::Dropped:
    case ElementShown::Frame:
        m_out.skip(lt);
        break;
    }
}

// The elements a start tag ends, as HTML has it. The control ends a
// paragraph, a definition and a table's cells and rows the same way; a list
// item or option it would keep open gets its end tags written out.
void NestingCapper::closeImplied(const QString &name, qsizetype at)
{
    if (name == u"p") {
        const int paragraph = m_open.innermost(name);
        if (paragraph >= 0 && m_open.innermostBlock() == paragraph)
            closeFrom(paragraph, at, false);
    } else if (name == u"li") {
        const int item = m_open.innermost(name);
        if (item >= 0 && m_open.innermostListScopeBoundary() == item) {
            closeFrom(item + 1, at, true);
            closeFrom(item, at, false);
        }
    } else if (name == u"dd" || name == u"dt") {
        const int item = std::max(m_open.innermost(QStringLiteral("dd")), m_open.innermost(QStringLiteral("dt")));
        if (item >= 0 && m_open.innermostListScopeBoundary() == item)
            closeFrom(item, at, false);
    } else if (name == u"option" || name == u"optgroup") {
        const int option = m_open.innermost(QStringLiteral("option"));
        if (option >= 0 && option == m_open.size() - 1)
            closeFrom(option, at, true);
    } else if (name == u"tr") {
        closeContentOf(m_open.innermostTableSection(), at);
    } else if (name == u"td" || name == u"th") {
        const int row = m_open.innermost(QStringLiteral("tr"));
        if (row > m_open.innermostTableSection())
            closeContentOf(row, at);
    } else if (name == u"tbody" || name == u"thead" || name == u"tfoot" || name == u"caption") {
        closeContentOf(m_open.innermost(QStringLiteral("table")), at);
    }
}

// Closes what is open inside the element at `position` (none: -1).
void NestingCapper::closeContentOf(int position, qsizetype at)
{
    if (position >= 0)
        closeFrom(position + 1, at, m_open.rewrittenFrom(position));
}

// The control puts a table around a row outside any table and a table and
// row around a cell outside any row.
bool NestingCapper::needsImpliedTable(const QString &name) const
{
    if (name == u"tr")
        return m_open.innermost(QStringLiteral("table")) < 0;
    return (name == u"td" || name == u"th") && m_open.innermost(QStringLiteral("tr")) < 0;
}

// A tag of a table too deep to show as one.
void NestingCapper::flattenedTag(const QString &name, qsizetype lt, bool empty)
{
    if (isTableCell(name) && !empty) {
        m_open.push(name, ElementShown::Cell);
        m_out.insert(lt, u"<div>");
        return;
    }
    if (!empty)
        m_open.push(name, ElementShown::Frame);
    m_out.skip(lt);
}

void NestingCapper::closeFrom(int position, qsizetype at, bool writeEndTags)
{
    while (m_open.size() > position) {
        const OpenElement element = m_open.pop();
        if (!writeEndTags)
            continue;
        if (element.shown == ElementShown::AsWritten || element.shown == ElementShown::Implied)
            m_out.insert(at, QString(QStringLiteral("</") + element.name + u'>'));
        else if (element.shown == ElementShown::Cell)
            m_out.insert(at, u"</div>");
    }
}

} // namespace

QString capElementNesting(const QString &html, int maxDepth, int maxTableDepth)
{
    // Too few tags to nest too deep. The control may add one table of its
    // own around stray cells, hence the strict comparison.
    if (html.count(u'<') <= maxDepth && html.count(u"<table", Qt::CaseInsensitive) < maxTableDepth)
        return html;
    return NestingCapper(html, maxDepth, maxTableDepth).run();
}

} // namespace folio
