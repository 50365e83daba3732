#include "storage/htmltext.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace folio {

namespace {

constexpr char16_t ObjectReplacement = 0xFFFC;

struct NamedEntity
{
    std::string_view name;
    char32_t code;
};

// The named character references of HTML 4 that pages written by hand or
// by other programs commonly use; sorted by name for the binary search.
constexpr NamedEntity NamedEntities[] = {
    {"AElig", 0xC6},   {"Aacute", 0xC1}, {"Acirc", 0xC2},  {"Agrave", 0xC0}, {"Aring", 0xC5},  {"Atilde", 0xC3},
    {"Auml", 0xC4},    {"Ccedil", 0xC7}, {"ETH", 0xD0},    {"Eacute", 0xC9}, {"Ecirc", 0xCA},  {"Egrave", 0xC8},
    {"Euml", 0xCB},    {"Iacute", 0xCD}, {"Icirc", 0xCE},  {"Igrave", 0xCC}, {"Iuml", 0xCF},   {"Ntilde", 0xD1},
    {"OElig", 0x152},  {"Oacute", 0xD3}, {"Ocirc", 0xD4},  {"Ograve", 0xD2}, {"Oslash", 0xD8}, {"Otilde", 0xD5},
    {"Ouml", 0xD6},    {"THORN", 0xDE},  {"Uacute", 0xDA}, {"Ucirc", 0xDB},  {"Ugrave", 0xD9}, {"Uuml", 0xDC},
    {"Yacute", 0xDD},  {"aacute", 0xE1}, {"acirc", 0xE2},  {"acute", 0xB4},  {"aelig", 0xE6},  {"agrave", 0xE0},
    {"amp", 0x26},     {"apos", 0x27},   {"aring", 0xE5},  {"atilde", 0xE3}, {"auml", 0xE4},   {"bdquo", 0x201E},
    {"brvbar", 0xA6},  {"bull", 0x2022}, {"ccedil", 0xE7}, {"cedil", 0xB8},  {"cent", 0xA2},   {"copy", 0xA9},
    {"curren", 0xA4},  {"dagger", 0x2020}, {"deg", 0xB0},  {"divide", 0xF7}, {"eacute", 0xE9}, {"ecirc", 0xEA},
    {"egrave", 0xE8},  {"emsp", 0x2003}, {"ensp", 0x2002}, {"eth", 0xF0},    {"euml", 0xEB},   {"euro", 0x20AC},
    {"frac12", 0xBD},  {"frac14", 0xBC}, {"frac34", 0xBE}, {"gt", 0x3E},     {"hellip", 0x2026}, {"iacute", 0xED},
    {"icirc", 0xEE},   {"iexcl", 0xA1},  {"igrave", 0xEC}, {"iquest", 0xBF}, {"iuml", 0xEF},   {"laquo", 0xAB},
    {"ldquo", 0x201C}, {"lsaquo", 0x2039}, {"lsquo", 0x2018}, {"lt", 0x3C},  {"macr", 0xAF},   {"mdash", 0x2014},
    {"micro", 0xB5},   {"middot", 0xB7}, {"nbsp", 0xA0},   {"ndash", 0x2013}, {"not", 0xAC},   {"ntilde", 0xF1},
    {"oacute", 0xF3},  {"ocirc", 0xF4},  {"oelig", 0x153}, {"ograve", 0xF2}, {"ordf", 0xAA},   {"ordm", 0xBA},
    {"oslash", 0xF8},  {"otilde", 0xF5}, {"ouml", 0xF6},   {"para", 0xB6},   {"plusmn", 0xB1}, {"pound", 0xA3},
    {"quot", 0x22},    {"raquo", 0xBB},  {"rdquo", 0x201D}, {"reg", 0xAE},   {"rsaquo", 0x203A}, {"rsquo", 0x2019},
    {"sbquo", 0x201A}, {"sect", 0xA7},   {"shy", 0xAD},    {"sup1", 0xB9},   {"sup2", 0xB2},   {"sup3", 0xB3},
    {"szlig", 0xDF},   {"thinsp", 0x2009}, {"thorn", 0xFE}, {"times", 0xD7},  {"trade", 0x2122}, {"uacute", 0xFA},
    {"ucirc", 0xFB},   {"ugrave", 0xF9}, {"uml", 0xA8},    {"uuml", 0xFC},   {"yacute", 0xFD}, {"yen", 0xA5},
    {"yuml", 0xFF},    {"zwj", 0x200D},
};
static_assert(std::is_sorted(std::begin(NamedEntities), std::end(NamedEntities),
                             [](const NamedEntity &a, const NamedEntity &b) { return a.name < b.name; }));

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiAlnum(char16_t c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode()))
            return false;
    return true;
}

bool nameIs(QStringView name, std::string_view wanted)
{
    if (name.size() != qsizetype(wanted.size()))
        return false;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (asciiLower(name[i].unicode()) != char16_t(wanted[size_t(i)]))
            return false;
    return true;
}

bool nameIn(QStringView name, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return nameIs(name, n); });
}

// Elements that start a new line of text: paragraphs, headings, list items,
// line breaks, table rows and cells, and the other blocks of a page.
bool isBlockElement(QStringView name)
{
    if (name.size() == 2 && asciiLower(name[0].unicode()) == u'h' && name[1] >= u'1' && name[1] <= u'6')
        return true;
    return nameIn(name, {"p", "br", "div", "li", "ul", "ol", "dl", "dt", "dd", "tr", "td", "th", "table",
                         "thead", "tbody", "tfoot", "caption", "blockquote", "pre", "hr", "body", "html",
                         "center", "address", "section", "article", "header", "footer", "nav", "aside",
                         "figure", "figcaption", "form", "fieldset", "legend", "main", "details", "summary"});
}

// Elements whose content is raw text that is never shown.
bool isHiddenRawText(QStringView name)
{
    return nameIn(name, {"style", "script", "title", "template", "textarea", "xmp"});
}

class Extractor
{
public:
    explicit Extractor(QStringView html) : m_in(html) { m_out.reserve(html.size() / 3); }

    QString run()
    {
        while (m_pos < m_in.size()) {
            const char16_t c = m_in[m_pos].unicode();
            if (c == u'<')
                markup();
            else if (c == u'&')
                reference();
            else
                text();
        }
        while (m_out.endsWith(QLatin1Char('\n')))
            m_out.chop(1);
        return m_out;
    }

private:
    // A run of plain characters up to the next markup or reference. A line
    // break in the source shows as a blank between words, and as nothing
    // next to a block boundary (the layout of the HTML source, not text).
    void text()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_in.size()) {
            const char16_t c = m_in[m_pos].unicode();
            if (c == u'<' || c == u'&' || c == u'\n' || c == u'\r' || c == u'\t' || c == u'\f' || c == 0xA0)
                break;
            ++m_pos;
        }
        if (m_pos > start)
            append(m_in.sliced(start, m_pos - start));
        if (m_pos < m_in.size() && m_in[m_pos] != u'<' && m_in[m_pos] != u'&') {
            if (m_in[m_pos] == u'\n' || m_in[m_pos] == u'\r')
                m_softSpace = !m_hidden;
            else
                append(u" ");
            ++m_pos;
        }
    }

    void append(QStringView visible)
    {
        if (m_hidden)
            return;
        if (m_softSpace && !m_out.isEmpty() && !m_out.endsWith(QLatin1Char('\n')))
            m_out.append(QLatin1Char(' '));
        m_softSpace = false;
        m_out.append(visible);
    }

    void emitChar(char32_t code)
    {
        if (code == 0xA0 || code == u'\n' || code == u'\r' || code == u'\t' || code == u'\f')
            code = u' ';
        append(QStringView(QChar::fromUcs4(code)));
    }

    void lineBreak()
    {
        m_softSpace = false;
        if (!m_hidden && !m_out.isEmpty() && !m_out.endsWith(QLatin1Char('\n')))
            m_out.append(QLatin1Char('\n'));
    }

    // "&name;", "&#123;" or "&#x7B;"; anything else is a literal ampersand.
    void reference()
    {
        qsizetype p = m_pos + 1;
        char32_t code = 0;
        bool ok = false;
        if (p < m_in.size() && m_in[p] == u'#') {
            ++p;
            const bool hex = p < m_in.size() && (m_in[p] == u'x' || m_in[p] == u'X');
            if (hex)
                ++p;
            const qsizetype digitsFrom = p;
            quint64 value = 0;
            int digit = 0;
            while (p < m_in.size() && p - digitsFrom < 8 && (digit = digitValue(m_in[p].unicode(), hex)) >= 0) {
                value = value * (hex ? 16 : 10) + quint64(digit);
                ++p;
            }
            ok = p > digitsFrom;
            if (ok) {
                const bool valid = value > 0 && value <= 0x10FFFF && !(value >= 0xD800 && value < 0xE000);
                code = valid ? char32_t(value) : char32_t(0xFFFD);
            }
        } else {
            const qsizetype nameFrom = p;
            while (p < m_in.size() && p - nameFrom < 10 && isAsciiAlnum(m_in[p].unicode()))
                ++p;
            if (p < m_in.size() && m_in[p] == u';')
                ok = lookUp(m_in.sliced(nameFrom, p - nameFrom), code);
        }
        if (!ok) {
            emitChar(u'&');
            ++m_pos;
            return;
        }
        if (p < m_in.size() && m_in[p] == u';')
            ++p;
        m_pos = p;
        emitChar(code);
    }

    static int digitValue(char16_t c, bool hex)
    {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        const char16_t lower = asciiLower(c);
        return hex && lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
    }

    static bool lookUp(QStringView name, char32_t &code)
    {
        std::string key;
        for (QChar c : name)
            key.push_back(char(c.unicode()));
        const auto it = std::lower_bound(std::begin(NamedEntities), std::end(NamedEntities), key,
                                         [](const NamedEntity &e, const std::string &k) { return e.name < k; });
        if (it == std::end(NamedEntities) || it->name != key)
            return false;
        code = it->code;
        return true;
    }

    // A tag, comment, declaration or processing instruction starting at '<'.
    void markup()
    {
        const qsizetype next = m_pos + 1;
        const char16_t c = next < m_in.size() ? m_in[next].unicode() : 0;
        if (c == u'!') {
            const bool comment = m_in.sliced(next).startsWith(u"!--");
            skipPast(comment ? u"-->" : u">", next + (comment ? 3 : 1));
        } else if (c == u'?') {
            skipPast(u">", next);
        } else if (isAsciiLetter(c) || (c == u'/' && next + 1 < m_in.size() && isAsciiLetter(m_in[next + 1].unicode()))) {
            tag();
        } else {
            emitChar(u'<');
            ++m_pos;
        }
    }

    void skipPast(QStringView end, qsizetype from)
    {
        const qsizetype at = m_in.indexOf(end, from);
        m_pos = at < 0 ? m_in.size() : at + end.size();
    }

    void tag()
    {
        qsizetype p = m_pos + 1;
        const bool closing = m_in[p] == u'/';
        if (closing)
            ++p;
        const qsizetype nameFrom = p;
        while (p < m_in.size() && (isAsciiAlnum(m_in[p].unicode()) || m_in[p] == u'-' || m_in[p] == u':'))
            ++p;
        const QStringView name = m_in.sliced(nameFrom, p - nameFrom);
        m_pos = endOfTag(p);

        if (nameIs(name, "head")) {
            m_inHead = !closing;
        } else if (nameIs(name, "body")) {
            m_inHead = false;
        } else if (!closing && isHiddenRawText(name)) {
            skipRawText(name);
            return;
        }
        m_hidden = m_inHead;
        if (isBlockElement(name))
            lineBreak();
        else if (!closing && nameIs(name, "img"))
            emitChar(ObjectReplacement);
    }

    // The position after the '>' that ends a tag; quoted attribute values
    // may hold a '>'.
    qsizetype endOfTag(qsizetype p) const
    {
        char16_t previous = 0;
        while (p < m_in.size()) {
            const char16_t c = m_in[p].unicode();
            if (c == u'>')
                return p + 1;
            if ((c == u'"' || c == u'\'') && previous == u'=') {
                const qsizetype close = m_in.indexOf(QChar(c), p + 1);
                if (close < 0)
                    return m_in.size();
                p = close;
            }
            if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
                previous = c;
            ++p;
        }
        return p;
    }

    // Skips the content of a raw-text element up to and past its end tag.
    void skipRawText(QStringView name)
    {
        qsizetype p = m_pos;
        while (true) {
            p = m_in.indexOf(u"</", p);
            if (p < 0) {
                m_pos = m_in.size();
                return;
            }
            const QStringView after = m_in.sliced(p + 2);
            const bool ends = after.size() >= name.size() && sameName(after.first(name.size()), name)
                && (after.size() == name.size() || !isAsciiAlnum(after[name.size()].unicode()));
            if (ends) {
                m_pos = endOfTag(p + 2 + name.size());
                return;
            }
            p += 2;
        }
    }

    QStringView m_in;
    QString m_out;
    qsizetype m_pos = 0;
    bool m_inHead = false;
    bool m_hidden = false;
    bool m_softSpace = false;  // a source line break, shown as a blank between words
};

} // namespace

QString visibleText(QStringView html)
{
    return Extractor(html).run();
}

QString searchFold(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
            folded.append(QStringView(QChar::fromUcs4(code)));
            ++i;
        } else if (c.unicode() == 0xA0) {
            folded.append(QLatin1Char(' '));
        } else {
            folded.append(QChar(QChar::toCaseFolded(c.unicode())));
        }
    }
    return folded;
}

} // namespace folio
