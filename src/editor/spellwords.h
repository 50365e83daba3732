#pragma once

#include <QList>
#include <QStringView>

namespace folio {

// A word of a text that spelling looks at: `start` and `length` in UTF-16
// units of the text it was found in.
struct WordSpan
{
    int start = 0;
    int length = 0;
    bool operator==(const WordSpan &) const = default;
};

// The words of `text` whose spelling is checked. Not checked: words with a
// digit, addresses (http..., www...., e-mail) as a whole, words of one
// letter, all-capital words of up to five letters (abbreviations), and
// words in scripts written without spaces between words (Chinese, Japanese,
// Thai, ...), which no word list can split. Apostrophes inside a word
// belong to it; hyphens and other marks split words.
QList<WordSpan> checkableWords(QStringView text);

} // namespace folio
