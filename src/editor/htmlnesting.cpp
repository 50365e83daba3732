#include "editor/htmlnesting.h"

#include <QList>
#include <QSet>

namespace folio {

namespace {

// Elements that never hold others: they open no level.
bool isVoidElement(QStringView name)
{
    static const QSet<QString> names = {"area", "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return names.contains(name.toString());
}

// Elements whose content is text up to their own end tag.
bool isRawTextElement(QStringView name)
{
    return name.compare(u"script", Qt::CaseInsensitive) == 0 || name.compare(u"style", Qt::CaseInsensitive) == 0
        || name.compare(u"textarea", Qt::CaseInsensitive) == 0 || name.compare(u"title", Qt::CaseInsensitive) == 0;
}

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

// Writes the output only once something is dropped.
class Output
{
public:
    explicit Output(const QString &html) : m_html(html) {}
    void keep(qsizetype from, qsizetype to)
    {
        if (m_copying)
            m_out.append(QStringView(m_html).mid(from, to - from));
    }
    void drop(qsizetype at)
    {
        if (!m_copying) {
            m_out.reserve(m_html.size());
            m_out.append(QStringView(m_html).left(at));
            m_copying = true;
        }
    }
    QString result() const { return m_copying ? m_out : m_html; }

private:
    const QString &m_html;
    QString m_out;
    bool m_copying = false;
};

} // namespace

QString capElementNesting(const QString &html, int maxDepth)
{
    if (html.count(u'<') <= maxDepth)
        return html;
    Output out(html);
    QList<QString> open;      // names of the elements kept open, outermost first
    QList<QString> dropped;   // names of the start tags dropped, innermost last
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype lt = html.indexOf(u'<', i);
        if (lt < 0) {
            out.keep(i, html.size());
            break;
        }
        out.keep(i, lt);
        const QChar next = lt + 1 < html.size() ? html[lt + 1] : QChar();
        if (next == u'!' && QStringView(html).mid(lt, 4) == u"<!--") {
            const qsizetype close = html.indexOf(QStringLiteral("-->"), lt + 4);
            i = close < 0 ? html.size() : close + 3;
            out.keep(lt, i);
            continue;
        }
        if (next != u'/' && !isNameStart(next)) {  // '<!…>', '<?…>' or a plain '<' in text
            i = next == u'!' || next == u'?' ? tagEnd(html, lt) : lt + 1;
            out.keep(lt, i);
            continue;
        }
        const qsizetype end = tagEnd(html, lt);
        if (next == u'/') {
            const QString name = tagName(html, lt + 2);
            if (!dropped.isEmpty() && dropped.last() == name) {
                dropped.removeLast();
                out.drop(lt);
            } else {
                if (!open.isEmpty() && open.last() == name)
                    open.removeLast();
                out.keep(lt, end);
            }
            i = end;
            continue;
        }
        const QString name = tagName(html, lt + 1);
        const bool selfClosing = end - lt >= 2 && html[end - 2] == u'/';
        if (isRawTextElement(name)) {
            // Its content is not markup: copy it whole, up to its end tag.
            const qsizetype close = html.indexOf(QStringLiteral("</") + name, end, Qt::CaseInsensitive);
            const qsizetype after = close < 0 ? html.size() : tagEnd(html, close);
            out.keep(lt, after);
            i = after;
            continue;
        }
        if (isVoidElement(name) || selfClosing) {
            out.keep(lt, end);
        } else if (open.size() >= maxDepth) {
            dropped.append(name);
            out.drop(lt);
        } else {
            open.append(name);
            out.keep(lt, end);
        }
        i = end;
    }
    return out.result();
}

} // namespace folio
