#include "editor/selectionformat.h"

#include "editor/htmlfontsize.h"
#include "editor/selectionwalk.h"

#include <QTextList>

namespace folio {

namespace {

Coverage coverageOf(bool seenWith, bool seenWithout)
{
    if (seenWith && seenWithout)
        return Coverage::Partial;
    return seenWith ? Coverage::All : Coverage::None;
}

Qt::Alignment horizontalAlignment(const QTextBlockFormat &format)
{
    // AlignLeading has the value of AlignLeft; AlignAbsolute only says how
    // to read left and right, so it is left out.
    return format.alignment() & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify);
}

bool isBulleted(const QTextBlock &block)
{
    const QTextList *list = block.textList();
    if (!list)
        return false;
    const QTextListFormat::Style style = list->format().style();
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
        || style == QTextListFormat::ListSquare;
}

} // namespace

SelectionFormat::SelectionFormat(const QTextCursor &cursor, const QTextCharFormat &caretFormat,
                                 const QFont &defaultFont)
    : m_cursor(cursor)
    , m_caretFormat(caretFormat)
    , m_defaultFont(defaultFont)
{
}

Coverage SelectionFormat::bold() const
{
    return charCoverage([](const QTextCharFormat &f) { return f.fontWeight() > QFont::Medium; });
}

Coverage SelectionFormat::italic() const
{
    return charCoverage([](const QTextCharFormat &f) { return f.fontItalic(); });
}

Coverage SelectionFormat::underline() const
{
    return charCoverage([](const QTextCharFormat &f) { return f.fontUnderline(); });
}

Coverage SelectionFormat::alignment(Qt::Alignment horizontal) const
{
    return blockCoverage([horizontal](const QTextBlock &block) {
        return horizontalAlignment(block.blockFormat()) == horizontal;
    });
}

Coverage SelectionFormat::bulleted() const
{
    return blockCoverage(isBulleted);
}

std::optional<QString> SelectionFormat::fontFamily() const
{
    const QFont defaultFont = m_defaultFont;
    return uniformValue<QString>([defaultFont](const QTextCharFormat &f) { return familyOf(f, defaultFont); });
}

std::optional<int> SelectionFormat::htmlFontSize() const
{
    const QFont defaultFont = m_defaultFont;
    return uniformValue<int>([defaultFont](const QTextCharFormat &f) { return htmlSizeOf(f, defaultFont); });
}

QString SelectionFormat::familyOf(const QTextCharFormat &format, const QFont &defaultFont)
{
    return format.font().resolve(defaultFont).family();
}

int SelectionFormat::htmlSizeOf(const QTextCharFormat &format, const QFont &defaultFont)
{
    // Imported <font size=n> and CSS keywords arrive as a step relative to
    // size 3; the text engine lets that step win over a point size.
    if (format.hasProperty(QTextFormat::FontSizeAdjustment)) {
        const int step = format.intProperty(QTextFormat::FontSizeAdjustment);
        return qBound(MinHtmlFontSize, step + 3, MaxHtmlFontSize);
    }
    const QFont font = format.font().resolve(defaultFont);
    qreal points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0)
        points = font.pixelSize() * 72.0 / 96.0; // CSS pixels
    return htmlSizeForPointSize(points);
}

Coverage SelectionFormat::charCoverage(const std::function<bool(const QTextCharFormat &)> &has) const
{
    bool seenWith = false;
    bool seenWithout = false;
    forEachSelectedFragment(m_cursor, [&](int, int, const QTextCharFormat &format) {
        (has(format) ? seenWith : seenWithout) = true;
        return !(seenWith && seenWithout);
    });
    if (!seenWith && !seenWithout) // a caret, or a selection of paragraph ends only
        return has(m_caretFormat) ? Coverage::All : Coverage::None;
    return coverageOf(seenWith, seenWithout);
}

Coverage SelectionFormat::blockCoverage(const std::function<bool(const QTextBlock &)> &has) const
{
    bool seenWith = false;
    bool seenWithout = false;
    forEachSelectedBlock(m_cursor, [&](const QTextBlock &block) {
        (has(block) ? seenWith : seenWithout) = true;
        return !(seenWith && seenWithout);
    });
    return coverageOf(seenWith, seenWithout);
}

template <typename T>
std::optional<T> SelectionFormat::uniformValue(const std::function<T(const QTextCharFormat &)> &valueOf) const
{
    std::optional<T> value;
    bool mixed = false;
    forEachSelectedFragment(m_cursor, [&](int, int, const QTextCharFormat &format) {
        const T current = valueOf(format);
        if (!value)
            value = current;
        else if (*value != current)
            mixed = true;
        return !mixed;
    });
    if (mixed)
        return std::nullopt;
    return value ? value : std::optional<T>(valueOf(m_caretFormat));
}

} // namespace folio
