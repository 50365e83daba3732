#include "editor/slicedlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>

namespace folio {

namespace {

// A slice ends after this long; the text engine lays out a few thousand
// characters per step, a fraction of it.
constexpr qint64 SliceNs = 6'000'000;
constexpr int StepChars = 2000;

} // namespace

SlicedLayout::SlicedLayout(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &SlicedLayout::slice);
}

void SlicedLayout::start(QTextDocument *document)
{
    stop();
    m_document = document;
    m_layout = document->documentLayout();
    m_position = 0;
    m_layout->installEventFilter(this);
    m_timer.start();
}

void SlicedLayout::stop()
{
    m_timer.stop();
    if (m_layout)
        m_layout->removeEventFilter(this);
    m_layout = nullptr;
    m_document = nullptr;
}

bool SlicedLayout::eventFilter(QObject *watched, QEvent *event)
{
    return watched == m_layout && event->type() == QEvent::Timer;
}

void SlicedLayout::slice()
{
    if (!m_document || !m_layout || m_document->documentLayout() != m_layout) {
        stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const int end = m_document->characterCount() - 1;
    // Asking for a block's place lays the document out up to that block.
    while (m_position < end && clock.nsecsElapsed() < SliceNs) {
        m_position = std::min(m_position + StepChars, end);
        m_layout->blockBoundingRect(m_document->findBlock(m_position));
    }
    if (m_position >= end) {
        // The rest, at most a step.
        m_layout->documentSize();
        stop();
    }
}

} // namespace folio
