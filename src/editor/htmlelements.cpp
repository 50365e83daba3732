#include "editor/htmlelements.h"

#include <QSet>

namespace folio {

bool isVoidElement(QStringView name)
{
    static const QSet<QString> names = {"area", "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return names.contains(name.toString());
}

bool isRawTextElement(QStringView name)
{
    return name.compare(u"script", Qt::CaseInsensitive) == 0 || name.compare(u"style", Qt::CaseInsensitive) == 0
        || name.compare(u"textarea", Qt::CaseInsensitive) == 0 || name.compare(u"title", Qt::CaseInsensitive) == 0;
}

// Only names the text control is known to keep inline: an unknown element
// is taken as a block, so a paragraph is never counted as closed while the
// control still nests the next one inside it.
bool isPhrasingElement(const QString &name)
{
    static const QSet<QString> names = {"a",    "b",     "big", "cite",  "code", "dfn",    "em",
                                        "font", "i",     "kbd", "nobr",  "s",    "samp",   "small",
                                        "span", "strike", "strong", "sub", "sup", "tt", "u", "var"};
    return names.contains(name);
}

// HTML's special elements other than address, div and p.
bool isListScopeBoundary(const QString &name)
{
    static const QSet<QString> names = {
        "applet", "article", "aside",  "blockquote", "body",   "button",   "caption", "center",  "colgroup",
        "dd",     "details", "dir",    "dl",         "dt",     "fieldset", "figcaption", "figure", "footer",
        "form",   "frameset", "h1",    "h2",         "h3",     "h4",       "h5",      "h6",      "head",
        "header", "hgroup",  "html",   "iframe",     "li",     "listing",  "main",    "marquee", "menu",
        "nav",    "noembed", "noframes", "noscript", "object", "ol",       "plaintext", "pre",   "section",
        "select", "summary", "table",  "tbody",      "td",     "template", "tfoot",   "th",      "thead",
        "tr",     "ul",      "xmp"};
    return names.contains(name);
}

bool isTableSection(const QString &name)
{
    return name == u"table" || name == u"tbody" || name == u"thead" || name == u"tfoot";
}

bool isTableFrame(const QString &name)
{
    return isTableSection(name) || name == u"tr" || name == u"colgroup" || name == u"col";
}

bool isTableCell(const QString &name)
{
    return name == u"td" || name == u"th" || name == u"caption";
}

} // namespace folio
