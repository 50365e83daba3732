#include "editor/spellwords.h"

namespace folio {

namespace {

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

bool isUnspacedScript(QChar::Script script)
{
    switch (script) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
    case QChar::Script_Tibetan:
        return true;
    default:
        return false;
    }
}

// An address is skipped as a whole, up to the next white space.
bool isAddress(QStringView chunk)
{
    if (chunk.contains(u"://") || chunk.startsWith(u"www.", Qt::CaseInsensitive)
        || chunk.startsWith(u"mailto:", Qt::CaseInsensitive))
        return true;
    const qsizetype at = chunk.indexOf(QLatin1Char('@'));
    return at > 0 && chunk.indexOf(QLatin1Char('.'), at) > at + 1;
}

bool isChecked(QStringView word)
{
    int letters = 0;
    bool allCapitals = true;
    for (const QChar c : word) {
        if (c.isDigit() || isUnspacedScript(c.script()))
            return false;
        if (c.isLetter()) {
            ++letters;
            if (!c.isUpper())
                allCapitals = false;
        }
    }
    if (letters < 2)
        return false;
    return !(allCapitals && letters <= 5);
}

void addWords(QStringView text, qsizetype from, qsizetype to, QList<WordSpan> &words)
{
    qsizetype i = from;
    while (i < to) {
        while (i < to && !isWordChar(text[i]))
            ++i;
        qsizetype end = i;
        while (end < to && (isWordChar(text[end])
                            || (isApostrophe(text[end]) && end + 1 < to && isWordChar(text[end + 1]))))
            ++end;
        if (end > i && isChecked(text.mid(i, end - i)))
            words.append({int(i), int(end - i)});
        i = end;
    }
}

} // namespace

QList<WordSpan> checkableWords(QStringView text)
{
    QList<WordSpan> words;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && text[i].isSpace())
            ++i;
        qsizetype end = i;
        while (end < n && !text[end].isSpace())
            ++end;
        if (end > i && !isAddress(text.mid(i, end - i)))
            addWords(text, i, end, words);
        i = end;
    }
    return words;
}

} // namespace folio
