#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "generator/benchrandom.h"

class QTextCursor;

namespace folio::bench {

class Vocabulary;

// Makes document pages in the HTML the program's editor writes. A pool of
// fragments (paragraphs, headings, lists with bold, italic, colours, sizes
// and alignment) is typed once into the program's own HtmlEditor through a
// text cursor, and the editor's HTML is kept with a slot in place of every
// word. A page is the editor's page header, a heading with the title, an
// opening paragraph, and fragments drawn from the pool with every slot
// filled from the vocabulary: fast enough for hundreds of megabytes, and
// still exactly what the editor would write for that text.
class HtmlComposer
{
public:
    HtmlComposer(const Vocabulary &vocabulary, BenchRandom random, int poolSize = 160);

    // A page of at least `targetLength` characters (or just the heading and
    // the opening paragraph when that is already longer). `keywords` go into
    // the opening paragraph, each exactly once, at random places.
    QString compose(BenchRandom &random, const QString &title, const QStringList &keywords,
                    qsizetype targetLength) const;

private:
    // Editor HTML of one or more blocks, cut at the word slots.
    struct Fragment
    {
        QStringList pieces;    // text between the slots: slots = pieces.size() - 1
        qsizetype length = 0;  // expected length once the slots are filled
    };

    Fragment cut(const QString &page);
    void writeMixedBlocks(QTextCursor &cursor, BenchRandom &random) const;
    void writeParagraph(QTextCursor &cursor, BenchRandom &random, int words) const;
    void writeHeading(QTextCursor &cursor, BenchRandom &random, int words) const;
    void writeList(QTextCursor &cursor, BenchRandom &random) const;
    void writeWords(QTextCursor &cursor, BenchRandom &random, int words) const;
    // Appends the fragment with its slots filled: from `slotWords` (already
    // escaped) while they last, then from the vocabulary.
    void append(QString &html, const Fragment &fragment, BenchRandom &random,
                const QStringList &slotWords = {}) const;
    qsizetype averageWordLength() const;

    const Vocabulary &m_vocabulary;
    QString m_header;   // everything up to and including the body tag's line
    QString m_footer;
    Fragment m_heading;
    Fragment m_opening;
    QList<Fragment> m_pool;
};

} // namespace folio::bench
