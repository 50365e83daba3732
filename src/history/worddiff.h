#pragma once

#include <QList>
#include <QString>

namespace folio {

// One run of words of a comparison: in both texts, only in the first
// (removed on the way to the second) or only in the second (added).
struct WordRun
{
    enum class Kind { Same, Removed, Added };
    Kind kind = Kind::Same;
    QStringList words;   // a line break of the text is the word "\n"
};

// A word-level comparison of `from` with `to` (plain texts): the shortest
// list of words removed and added that turns one into the other, as runs in
// reading order. Words common to the start and the end are matched first;
// where the texts differ in more places than `maxEdits`, the part between
// them is given as removed and then added whole, so that a comparison of
// two unrelated megabytes stays quick.
QList<WordRun> diffWords(const QString &from, const QString &to, int maxEdits = 2000);

// The runs as HTML for a read-only view: words the second text no longer
// has struck out in dark red, words it added underlined in dark green.
QString diffHtml(const QList<WordRun> &runs);

} // namespace folio
