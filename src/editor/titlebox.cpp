#include "editor/titlebox.h"

#include "editor/spellchecker.h"

#include <QPainter>
#include <QPainterPath>

namespace folio {

namespace {

// The line edit's cursor rectangle starts this far left of the cursor.
constexpr int CursorRectPadding = 5;

} // namespace

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
    if (marks != m_marks) {
        m_marks = marks;
        update();
    }
}

// A line edit keeps its text layout to itself, so the marks are drawn over
// it: the text's left end is found from the cursor's place on screen.
void TitleBox::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    if (m_marks.isEmpty())
        return;
    const QString shown = text();
    const QFontMetricsF metrics(font());
    const qreal origin = cursorRect().x() + CursorRectPadding - metrics.horizontalAdvance(shown.left(cursorPosition()));
    const qreal y = (height() + metrics.height()) / 2 - metrics.descent() + 2;
    QPainter painter(this);
    painter.setClipRect(contentsRect().marginsRemoved(textMargins()));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::red, 1));
    for (const WordSpan &w : std::as_const(m_marks)) {
        const qreal left = origin + metrics.horizontalAdvance(shown.left(w.start));
        const qreal right = origin + metrics.horizontalAdvance(shown.left(w.start + w.length));
        QPainterPath wave(QPointF(left, y));
        for (qreal x = left; x < right; x += 2)
            wave.lineTo(x + 2, y + ((int(x - left) / 2) % 2 ? -1.5 : 1.5));
        painter.drawPath(wave);
    }
}

} // namespace folio
