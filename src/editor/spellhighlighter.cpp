#include "editor/spellhighlighter.h"

#include "editor/spellchecker.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace folio {

namespace {

// A change this small is checked at once: typing sees its marks without
// waiting for the next slice.
constexpr int ImmediateBlocks = 3;
constexpr int ImmediateCharacters = 5000;
// Words checked between two looks at the clock.
constexpr int WordsPerClockCheck = 64;
// While the user types, the rest of the text waits: a keystroke should not
// queue behind a slice of checking.
constexpr int TypingPauseMs = 150;

// Which checking pass a block's marks belong to.
class CheckedMark : public QTextBlockUserData
{
public:
    explicit CheckedMark(int generation) : generation(generation) {}
    int generation;
};

} // namespace

SpellHighlighter::SpellHighlighter(QTextEdit &edit, SpellChecker &checker, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_checker(checker)
{
    m_markFormat.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    m_markFormat.setUnderlineColor(Qt::red);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SpellHighlighter::runSlice);
    connect(&m_checker, &SpellChecker::changed, this, &SpellHighlighter::recheckAll);
    // What comes on screen is checked first.
    connect(m_edit.verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_active && !m_timer.isActive() && !visibleUnchecked().isEmpty())
            m_timer.start(0);
    });
}

void SpellHighlighter::setActive(bool active)
{
    if (active == m_active && m_document == m_edit.document())
        return;
    clearMarks();
    m_active = active;
    followDocument();
    if (m_active)
        recheckAll();
}

// The edit may be given another document; the marks follow the one shown.
void SpellHighlighter::followDocument()
{
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = m_edit.document();
    connect(m_document, &QTextDocument::contentsChange, this, &SpellHighlighter::noteChange);
}

void SpellHighlighter::recheckAll()
{
    ++m_generation;
    m_scanFrom = 0;
    m_progress = {};
    if (m_active && m_checker.isActive())
        m_timer.start(0);
    else
        clearMarks();
}

void SpellHighlighter::noteChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    if (!m_active || !m_checker.isActive())
        return;
    QTextDocument *doc = m_document;
    const QTextBlock first = doc->findBlock(position);
    const QTextBlock last = doc->findBlock(position + added);
    int blocks = 0;
    int characters = 0;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (auto *mark = static_cast<CheckedMark *>(b.userData()))
            mark->generation = 0;
        ++blocks;
        characters += b.length();
        if (b == last)
            break;
    }
    if (m_progress.blockNumber >= first.blockNumber())
        m_progress = {};
    m_scanFrom = qMin(m_scanFrom, first.position());
    if (blocks <= ImmediateBlocks && characters <= ImmediateCharacters) {
        QElapsedTimer clock;
        clock.start();
        for (QTextBlock b = first; b.isValid(); b = b.next()) {
            checkBlock(b, clock, std::numeric_limits<qint64>::max());
            if (b == last)
                break;
        }
        noteSlice(clock);
    }
    m_timer.start(TypingPauseMs);
}

bool SpellHighlighter::isChecked(const QTextBlock &block) const
{
    const auto *mark = static_cast<const CheckedMark *>(block.userData());
    return mark && mark->generation == m_generation;
}

QList<QTextBlock> SpellHighlighter::visibleUnchecked() const
{
    QList<QTextBlock> blocks;
    // Finding what is on screen would lay out the text up to it at once;
    // while the text engine still lays out a long text in slices of its own,
    // checking goes on from the top.
    const QTextLayout *last = m_document->lastBlock().layout();
    if (!last || last->lineCount() == 0)
        return blocks;
    const QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const int bottom = m_edit.verticalScrollBar()->value() + m_edit.viewport()->height();
    for (QTextBlock block = m_edit.cursorForPosition(QPoint(0, 0)).block(); block.isValid(); block = block.next()) {
        if (layout->blockBoundingRect(block).top() > bottom)
            break;
        if (!isChecked(block))
            blocks.append(block);
    }
    return blocks;
}

QTextBlock SpellHighlighter::nextUnchecked()
{
    QTextBlock block = m_document->findBlock(m_scanFrom);
    while (block.isValid() && isChecked(block))
        block = block.next();
    m_scanFrom = block.isValid() ? block.position() : m_document->characterCount();
    return block;
}

void SpellHighlighter::runSlice()
{
    if (!m_active || !m_checker.isActive() || !m_document)
        return;
    QElapsedTimer clock;
    clock.start();
    QList<QTextBlock> visible = visibleUnchecked();
    while (clock.elapsed() < SliceMilliseconds) {
        const QTextBlock block = !visible.isEmpty() ? visible.takeFirst() : nextUnchecked();
        if (!block.isValid()) {
            noteSlice(clock);
            return;  // all checked
        }
        if (!checkBlock(block, clock, SliceMilliseconds))
            break;
    }
    noteSlice(clock);
    m_timer.start(0);
}

void SpellHighlighter::noteSlice(const QElapsedTimer &clock)
{
    m_longestSliceMs = std::max(m_longestSliceMs, double(clock.nsecsElapsed()) / 1e6);
}

bool SpellHighlighter::checkBlock(const QTextBlock &block, const QElapsedTimer &clock, qint64 budget)
{
    if (m_progress.blockNumber != block.blockNumber())
        m_progress = {block.blockNumber(), 0, {}};
    const QString text = block.text();
    const QList<WordSpan> words = checkableWords(text);
    for (int i = m_progress.nextWord; i < words.size(); ++i) {
        if (i > m_progress.nextWord && i % WordsPerClockCheck == 0 && clock.elapsed() >= budget) {
            m_progress.nextWord = i;
            return false;
        }
        const WordSpan &w = words[i];
        if (!m_checker.isCorrect(text.mid(w.start, w.length)))
            m_progress.marks.append({w.start, w.length, m_markFormat});
    }
    applyMarks(block, m_progress.marks);
    QTextBlock(block).setUserData(new CheckedMark(m_generation));
    m_progress = {};
    return true;
}

void SpellHighlighter::applyMarks(const QTextBlock &block, const QList<QTextLayout::FormatRange> &marks)
{
    QTextLayout *layout = block.layout();
    if (!layout || layout->formats() == marks)
        return;
    if (relayoutInPlace(*layout, marks)) {
        Q_EMIT m_document->documentLayout()->update(m_document->documentLayout()->blockBoundingRect(block));
        return;
    }
    // The block's size changes: the document lays it out again (which costs
    // a pass over the blocks after it).
    m_document->markContentsDirty(block.position(), block.length());
}

namespace {

struct LineShape
{
    qreal width;
    qreal height;
    QPointF position;
    bool leadingIncluded;
    int start;
    int length;
};

// Lays out `line` to end where it ended before: marks split the text into
// pieces shaped apart, which can move a line end by a word; a width a
// little off the page's then gives the old end back.
void keepLineEnd(QTextLine &line, const LineShape &shape)
{
    qreal low = shape.width * 0.8;
    qreal high = shape.width * 1.25;
    for (int step = 0; step < 12 && line.textLength() != shape.length; ++step) {
        const qreal width = (low + high) / 2;
        line.setLineWidth(width);
        (line.textLength() < shape.length ? low : high) = width;
    }
}

// Makes the lines again where and as wide as they were; with `keepEnds`
// each ends where it did. False when the block would change its size.
bool makeLines(QTextLayout &layout, const QList<LineShape> &shapes, bool keepEnds)
{
    layout.beginLayout();
    bool same = true;
    for (const LineShape &shape : shapes) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            same = false;
            break;
        }
        line.setLeadingIncluded(shape.leadingIncluded);
        line.setLineWidth(shape.width);
        if (keepEnds && line.textStart() == shape.start)
            keepLineEnd(line, shape);
        line.setPosition(shape.position);
        same = same && qAbs(line.height() - shape.height) < 0.01;
    }
    if (same && layout.createLine().isValid())
        same = false;
    layout.endLayout();
    return same;
}

} // namespace

// New formats clear a layout's lines. An underline changes neither the
// glyphs nor their heights, so the lines are made again at the same places
// and widths; as long as they come out as many and as high as before, the
// document's layout stays as it is, and a mark costs one block, not a pass
// over the rest of the document. False when the block's size would change.
bool SpellHighlighter::relayoutInPlace(QTextLayout &layout, const QList<QTextLayout::FormatRange> &marks)
{
    QList<LineShape> shapes;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        shapes.append({line.width(), line.height(), line.position(), line.leadingIncluded(), line.textStart(),
                       line.textLength()});
    }
    layout.setFormats(marks);
    if (shapes.isEmpty())
        return true;  // not laid out yet: the document's layout takes the marks along
    return makeLines(layout, shapes, false) || makeLines(layout, shapes, true);
}

void SpellHighlighter::clearMarks()
{
    m_timer.stop();
    m_progress = {};
    if (!m_document)
        return;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        if (!b.userData())
            continue;  // never checked: no marks
        QTextBlock(b).setUserData(nullptr);
        applyMarks(b, {});
    }
}

WordSpan SpellHighlighter::misspeltWordAt(int position) const
{
    if (!m_checker.isActive() || !m_document)
        return {};
    const QTextBlock block = m_document->findBlock(position);
    const int offset = position - block.position();
    for (const WordSpan &w : m_checker.misspeltWords(block.text())) {
        if (offset >= w.start && offset <= w.start + w.length)
            return {block.position() + w.start, w.length};
    }
    return {};
}

} // namespace folio
