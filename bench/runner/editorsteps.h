#pragma once

// Steps the editor benchmarks share: reaching the document pane the way the
// user does, and watching the editor paint through the event loop.

#include "storage/types.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QEvent;
class QTextCursor;
class QTextDocument;
class QTextEdit;

namespace folio {
class MainWindow;
}

namespace folio::bench {

// How long the event loop may run for one measured step.
inline constexpr int LoopTimeoutMs = 60000;

double msSince(const QElapsedTimer &clock);

// The program's own ways into the document pane: opening a document, and
// revising it as the user does (Revise with its entry chosen); every save
// then writes into its row. Both throw when the pane refuses.
void loadIntoPane(MainWindow &window, DocNum num);
void beginRevision(MainWindow &window, DocNum num);

// Leaves the editor empty (untimed), so that the next open starts from
// the same state as every other.
void emptyEditor(MainWindow &window);

// The last block laid out means the whole document is: the text layout
// goes on from the top in slices, between events, until it reaches the end.
bool layoutComplete(const QTextDocument *document);

// Notes when a widget has painted: the moment after its paint event was
// handled and the event loop came round again (the paint flushed).
class PaintWatch : public QObject
{
public:
    PaintWatch(QWidget *widget, const QElapsedTimer &clock)
        : m_widget(widget)
        , m_clock(clock)
    {
        widget->installEventFilter(this);
    }
    ~PaintWatch() override
    {
        if (m_widget)
            m_widget->removeEventFilter(this);
    }

    void arm() { m_armed = true, m_paintedAt = -1; }
    double paintedAt() const { return m_paintedAt; }

    bool eventFilter(QObject *, QEvent *event) override;

private:
    QPointer<QWidget> m_widget;
    const QElapsedTimer &m_clock;
    bool m_armed = false;
    double m_paintedAt = -1;
};

// One keystroke as the user types it: the key events are posted, and the
// event loop runs until the editor has painted the change.
double typeThroughEventLoop(QTextEdit *text, PaintWatch &paint, const QElapsedTimer &clock);

// `keys` keystrokes typed at `at`, each timed as above.
QList<double> typeAt(QTextEdit *text, const QTextCursor &at, int keys);

} // namespace folio::bench
