#include "editor/textformatter.h"

#include "editor/selectionwalk.h"

#include <QList>
#include <QTextEdit>
#include <QTextList>

namespace folio {

namespace {

// A point size replaces any size the text had: a relative step from
// <font size=n> would otherwise win over it.
void setOnlyPointSize(QTextCharFormat &format, qreal points)
{
    format.clearProperty(QTextFormat::FontSizeAdjustment);
    format.clearProperty(QTextFormat::FontPixelSize);
    format.setFontPointSize(points);
}

} // namespace

TextFormatter::TextFormatter(QTextEdit &edit)
    : m_edit(edit)
{
}

void TextFormatter::setBold(bool on)
{
    QTextCharFormat modifier;
    modifier.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeCharFormat(modifier);
}

void TextFormatter::setItalic(bool on)
{
    QTextCharFormat modifier;
    modifier.setFontItalic(on);
    mergeCharFormat(modifier);
}

void TextFormatter::setUnderline(bool on)
{
    QTextCharFormat modifier;
    modifier.setFontUnderline(on);
    mergeCharFormat(modifier);
}

void TextFormatter::setForeground(const QColor &color)
{
    QTextCharFormat modifier;
    modifier.setForeground(color);
    mergeCharFormat(modifier);
}

void TextFormatter::setFontFamily(const QString &family)
{
    QTextCharFormat modifier;
    modifier.setFontFamilies(QStringList{family});
    mergeCharFormat(modifier);
}

void TextFormatter::setPointSize(qreal points)
{
    rewriteCharFormats([points](QTextCharFormat &format) { setOnlyPointSize(format, points); });
}

void TextFormatter::setFont(const QFont &font)
{
    rewriteCharFormats([&font](QTextCharFormat &format) {
        format.setFontFamilies(QStringList{font.family()});
        if (font.pointSizeF() > 0)
            setOnlyPointSize(format, font.pointSizeF());
        format.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
        format.setFontItalic(font.italic());
        format.setFontUnderline(font.underline());
    });
}

void TextFormatter::setAlignment(Qt::Alignment horizontal)
{
    QTextBlockFormat modifier;
    modifier.setAlignment(horizontal);
    QTextCursor cursor = m_edit.textCursor();
    cursor.mergeBlockFormat(modifier);
}

void TextFormatter::setBulleted(bool on)
{
    QTextCursor cursor = m_edit.textCursor();
    cursor.beginEditBlock();
    if (on) {
        cursor.createList(QTextListFormat::ListDisc);
    } else {
        // Clearing the object index takes a paragraph out of its list; only
        // a full format set can remove a property, a merge cannot.
        QList<QTextBlock> listed;
        forEachSelectedBlock(cursor, [&listed](const QTextBlock &block) {
            if (block.textList())
                listed.append(block);
            return true;
        });
        for (const QTextBlock &block : listed) {
            QTextBlockFormat format = block.blockFormat();
            format.clearProperty(QTextFormat::ObjectIndex);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
}

void TextFormatter::mergeCharFormat(const QTextCharFormat &modifier)
{
    m_edit.mergeCurrentCharFormat(modifier);
}

void TextFormatter::rewriteCharFormats(const std::function<void(QTextCharFormat &)> &change)
{
    QTextCursor selection = m_edit.textCursor();
    if (!selection.hasSelection()) {
        QTextCharFormat format = m_edit.currentCharFormat();
        change(format);
        m_edit.setCurrentCharFormat(format);
        return;
    }
    struct Run { int from; int to; QTextCharFormat format; };
    QList<Run> runs;
    forEachSelectedFragment(selection, [&runs](int from, int to, const QTextCharFormat &format) {
        runs.append({from, to, format});
        return true;
    });
    QTextCursor cursor(m_edit.document());
    cursor.beginEditBlock();
    for (Run &run : runs) {
        change(run.format);
        cursor.setPosition(run.from);
        cursor.setPosition(run.to, QTextCursor::KeepAnchor);
        cursor.setCharFormat(run.format);
    }
    cursor.endEditBlock();
}

} // namespace folio
