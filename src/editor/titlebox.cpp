#include "editor/titlebox.h"

#include "editor/spellchecker.h"

#include <QInputMethodEvent>
#include <QTextCharFormat>

namespace folio {

TitleBox::TitleBox(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("txtHTMLTitle"));
    setToolTip(QStringLiteral("Document Title"));
    // The widget refuses the 251st character itself; the change handler
    // below covers text set from code.
    setMaxLength(MaxLength);
    connect(this, &QLineEdit::textChanged, this, &TitleBox::applyLengthRule);
    connect(this, &QLineEdit::textChanged, this, &TitleBox::updateSpellingMarks);
}

void TitleBox::appendText(const QString &text)
{
    setText(this->text() + text);
}

void TitleBox::focusOutEvent(QFocusEvent *event)
{
    applyLengthRule();
    QLineEdit::focusOutEvent(event);
}

void TitleBox::applyLengthRule()
{
    if (text().size() > MaxLength)
        setText(text().left(MaxLength));
}

void TitleBox::setSpellChecker(SpellChecker *checker)
{
    if (m_checker)
        disconnect(m_checker, nullptr, this, nullptr);
    m_checker = checker;
    if (m_checker)
        connect(m_checker, &SpellChecker::changed, this, &TitleBox::updateSpellingMarks);
    updateSpellingMarks();
}

void TitleBox::setSpellingOn(bool on)
{
    m_spellingOn = on;
    updateSpellingMarks();
}

void TitleBox::updateSpellingMarks()
{
    QList<WordSpan> marks;
    if (m_spellingOn && m_checker)
        marks = m_checker->misspeltWords(text());
    if (marks != m_marks)
        showMarks(marks);
}

// A line edit takes extra formats for its text only from an input method:
// an event with no text to insert that carries just the formats, placed
// relative to the cursor, changes nothing else.
void TitleBox::showMarks(const QList<WordSpan> &marks)
{
    m_marks = marks;
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    QList<QInputMethodEvent::Attribute> attributes;
    for (const WordSpan &w : marks)
        attributes.append({QInputMethodEvent::TextFormat, w.start - cursorPosition(), w.length, format});
    QInputMethodEvent event(QString(), attributes);
    const bool readOnly = isReadOnly();
    if (readOnly)
        setReadOnly(false);  // a read-only box ignores input method events
    inputMethodEvent(&event);
    if (readOnly)
        setReadOnly(true);
}

} // namespace folio
