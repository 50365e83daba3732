#include "editor/tablebudget.h"

#include <QStringView>
#include <algorithm>

namespace folio {

namespace {

constexpr int CountedLevels = 32;

// Whether the tag text after '<' names `name` (as a whole word).
bool tagIs(QStringView tag, QStringView name)
{
    return tag.startsWith(name, Qt::CaseInsensitive)
        && (tag.size() == name.size() || !tag[name.size()].isLetterOrNumber());
}

// Characters of text at each depth of table nesting (the last level
// gathers everything deeper).
struct TextByDepth
{
    qint64 chars[CountedLevels + 1] = {};
    bool anyTable = false;
};

TextByDepth measure(const QString &html)
{
    TextByDepth text;
    int depth = 0;
    qsizetype at = 0;
    const qsizetype size = html.size();
    while (at < size) {
        const qsizetype lt = html.indexOf(u'<', at);
        text.chars[std::min(depth, CountedLevels)] += (lt < 0 ? size : lt) - at;
        if (lt < 0)
            break;
        qsizetype gt = html.indexOf(u'>', lt + 1);
        if (gt < 0)
            gt = size - 1;
        const QStringView tag = QStringView(html).mid(lt + 1, gt - lt - 1);
        if (tagIs(tag, u"table")) {
            ++depth;
            text.anyTable = true;
        } else if (tagIs(tag, u"/table")) {
            depth = std::max(0, depth - 1);
        }
        at = gt + 1;
    }
    return text;
}

// A character of text inside d tables (d >= 1) weighs 2^(d-1): measured,
// text in one table is laid out about six times slower than plain text, and
// every further level about doubles that. Plain text is not counted: its
// cost has bounds of its own.
qint64 cost(const TextByDepth &text, int cap)
{
    qint64 sum = 0;
    for (int depth = 1; depth <= CountedLevels; ++depth)
        sum += text.chars[depth] << (std::min(depth, cap) - 1);
    return sum;
}

} // namespace

int tableNestingWithinBudget(const QString &html, int maxTableDepth)
{
    if (!html.contains(u"<table", Qt::CaseInsensitive))
        return maxTableDepth;
    const TextByDepth text = measure(html);
    if (!text.anyTable)
        return maxTableDepth;
    for (int cap = maxTableDepth; cap > 0; --cap)
        if (cost(text, cap) <= TableLayoutBudget)
            return cap;
    return 0;
}

} // namespace folio
