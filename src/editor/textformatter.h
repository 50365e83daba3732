#pragma once

#include <QColor>
#include <QFont>
#include <QTextCharFormat>

#include <functional>

class QTextEdit;

namespace folio {

// Applies formatting to the selection of a text edit, or, with nothing
// selected, to the format the caret types with (character formats) and the
// caret's paragraph (paragraph formats). Each change is one undo step.
class TextFormatter
{
public:
    explicit TextFormatter(QTextEdit &edit);

    void setBold(bool on);
    void setItalic(bool on);
    void setUnderline(bool on);
    void setForeground(const QColor &color);
    void setFontFamily(const QString &family);
    void setPointSize(qreal points);
    // Family, size, weight, slant and underline of `font`.
    void setFont(const QFont &font);
    // `horizontal` is one of Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight.
    void setAlignment(Qt::Alignment horizontal);
    // Puts the selected paragraphs into one new bullet list, or takes them
    // out of their lists.
    void setBulleted(bool on);

private:
    void mergeCharFormat(const QTextCharFormat &modifier);
    // Rewrites each run of selected text (or the caret's typing format) with
    // `change` applied to its own format, for changes a merge cannot make:
    // removing a property.
    void rewriteCharFormats(const std::function<void(QTextCharFormat &)> &change);

    QTextEdit &m_edit;
};

} // namespace folio
