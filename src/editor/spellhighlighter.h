#pragma once

#include "editor/spellwords.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTextLayout>
#include <QTimer>

class QTextBlock;
class QTextDocument;
class QTextEdit;

namespace folio {

class SpellChecker;

// Underlines misspelt words of a text edit's document with the desktop's
// spell-check underline. The marks are formats of the blocks' layouts, so
// they are drawn but never part of the document: its HTML, undo and
// modified flag stay as they are.
//
// Checking runs in slices of a few milliseconds between events, the blocks
// on screen first, then the rest from the top; a block the user changes is
// checked at once when it is short. While inactive (browse mode) there are
// no marks.
class SpellHighlighter : public QObject
{
    Q_OBJECT
public:
    // How long one slice of checking may take.
    static constexpr int SliceMilliseconds = 6;

    SpellHighlighter(QTextEdit &edit, SpellChecker &checker, QObject *parent = nullptr);

    SpellChecker &checker() const { return m_checker; }
    bool isActive() const { return m_active; }
    void setActive(bool active);
    // True when every block of the document is checked.
    bool isIdle() const { return !m_timer.isActive(); }

    // The longest time one piece of checking held the event loop since the
    // last reset, in milliseconds (for measuring).
    double longestSliceMs() const { return m_longestSliceMs; }
    void resetLongestSlice() { m_longestSliceMs = 0; }

    // The misspelt word at document position `position`, or an empty span.
    WordSpan misspeltWordAt(int position) const;

private:
    struct Progress
    {
        int blockNumber = -1;
        int nextWord = 0;
        QList<QTextLayout::FormatRange> marks;
    };

    void followDocument();
    void noteChange(int position, int removed, int added);
    void recheckAll();
    void runSlice();
    void noteSlice(const QElapsedTimer &clock);
    bool isChecked(const QTextBlock &block) const;
    QList<QTextBlock> visibleUnchecked() const;
    QTextBlock nextUnchecked();
    // Checks the block's words from the saved progress on; false when the
    // time ran out first (the progress is kept).
    bool checkBlock(const QTextBlock &block, const QElapsedTimer &clock, qint64 budget);
    void applyMarks(const QTextBlock &block, const QList<QTextLayout::FormatRange> &marks);
    static bool relayoutInPlace(QTextLayout &layout, const QList<QTextLayout::FormatRange> &marks);
    void clearMarks();

    QTextEdit &m_edit;
    SpellChecker &m_checker;
    QPointer<QTextDocument> m_document;
    QTimer m_timer;
    bool m_active = false;
    int m_generation = 1;
    int m_scanFrom = 0;  // document position: blocks before it are checked
    Progress m_progress;
    QTextCharFormat m_markFormat;
    double m_longestSliceMs = 0;
};

} // namespace folio
