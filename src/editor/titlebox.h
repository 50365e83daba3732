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

    // Misspelt words get a wavy underline while spelling is on; the marks
    // are drawn only, never part of the text.
    void setSpellChecker(SpellChecker *checker);
    void setSpellingOn(bool on);
    // The words underlined now.
    QList<WordSpan> spellingMarks() const { return m_marks; }

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyLengthRule();
    void updateSpellingMarks();

    SpellChecker *m_checker = nullptr;
    bool m_spellingOn = false;
    QList<WordSpan> m_marks;
};

} // namespace folio
