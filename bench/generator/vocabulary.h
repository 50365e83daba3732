#pragma once

#include <QStringList>

namespace folio::bench {

// The words the benchmarks search for. Each is placed only where the
// generator plans it (none of them occurs in the vocabulary, titles or folder
// names), so the number of documents that hold it is known exactly.
inline const QString KeywordOne = QStringLiteral("quokka");
// The second keyword of the two-keyword search (KeywordOne AND KeywordTwo).
inline const QString KeywordTwo = QStringLiteral("saffron");
// A two-character search: a two-letter word of a script without blanks
// between words, where only a substring search finds it.
inline const QString KeywordTwoCharacters = QStringLiteral("知識");

// The words generated texts are made of: English, accented Latin, Greek,
// Cyrillic, Chinese and Japanese, some with apostrophes.
class Vocabulary
{
public:
    Vocabulary();

    const QStringList &words() const { return m_words; }
    // The same words escaped the way the editor writes text into HTML.
    const QStringList &escapedWords() const { return m_escaped; }

private:
    QStringList m_words;
    QStringList m_escaped;
};

} // namespace folio::bench
