#pragma once

#include "editor/spellwords.h"

#include <QLineEdit>

namespace folio {

class SpellChecker;

// The document title box. A title never holds more than 250 characters,
// however the text arrives (typing, pasting, copying from the document).
class TitleBox : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int MaxLength = 250;

    explicit TitleBox(QWidget *parent = nullptr);

    // Appends text as typed, keeping the length rule.
    void appendText(const QString &text);

    // Misspelt words are underlined while spelling is on and the box can
    // be edited; the marks are drawn only, never part of the text.
    void setSpellChecker(SpellChecker *checker);
    void setSpellingOn(bool on);
    // The words underlined now.
    QList<WordSpan> spellingMarks() const { return m_marks; }

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void applyLengthRule();
    void updateSpellingMarks();
    void showMarks(const QList<WordSpan> &marks);

    SpellChecker *m_checker = nullptr;
    bool m_spellingOn = false;
    QList<WordSpan> m_marks;
};

} // namespace folio
