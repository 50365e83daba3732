#pragma once

#include <QFont>
#include <QTextCharFormat>
#include <QTextCursor>

#include <functional>
#include <optional>

namespace folio {

// How much of the text in question has a property.
enum class Coverage { None, Partial, All };

// The formatting of the text the user works on: the selected text, or, with
// nothing selected, the format the caret types with and the caret's
// paragraph. Computed on request by walking the selection only.
class SelectionFormat
{
public:
    // `caretFormat` is the typing format at the caret; `defaultFont` is the
    // document's font, which applies where the text sets none.
    SelectionFormat(const QTextCursor &cursor, const QTextCharFormat &caretFormat, const QFont &defaultFont);

    Coverage bold() const;
    Coverage italic() const;
    Coverage underline() const;
    // `horizontal` is one of Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight.
    Coverage alignment(Qt::Alignment horizontal) const;
    Coverage bulleted() const;

    // The font family, or nothing when the selection mixes families.
    std::optional<QString> fontFamily() const;
    // The HTML font size (1 to 7, 0 when unknown), or nothing when mixed.
    std::optional<int> htmlFontSize() const;

    static QString familyOf(const QTextCharFormat &format, const QFont &defaultFont);
    static int htmlSizeOf(const QTextCharFormat &format, const QFont &defaultFont);

private:
    Coverage charCoverage(const std::function<bool(const QTextCharFormat &)> &has) const;
    Coverage blockCoverage(const std::function<bool(const QTextBlock &)> &has) const;
    template <typename T>
    std::optional<T> uniformValue(const std::function<T(const QTextCharFormat &)> &valueOf) const;

    QTextCursor m_cursor;
    QTextCharFormat m_caretFormat;
    QFont m_defaultFont;
};

} // namespace folio
