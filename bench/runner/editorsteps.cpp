#include "runner/editorsteps.h"

#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "session/appstate.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <stdexcept>

namespace folio::bench {

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

void loadIntoPane(MainWindow &window, DocNum num)
{
    window.documentPane().loadDocument(num);
    if (window.state().currentDocNum() != num || window.documentPane().titleBox()->text().isNull())
        throw std::runtime_error("the document was not opened");
}

void beginRevision(MainWindow &window, DocNum num)
{
    window.state().setCurrentDocNum(num);
    window.state().setDocumentEntrySelected(true);
    window.documentPane().editDocument();
    if (!window.state().isEditing() || window.documentPane().editedDocument() != num)
        throw std::runtime_error("the document could not be revised");
}

void emptyEditor(MainWindow &window)
{
    window.documentPane().editor()->setDocumentHtml(QString());
    QCoreApplication::processEvents();
}

bool layoutComplete(const QTextDocument *document)
{
    const QTextBlock last = document->lastBlock();
    return last.isValid() && last.layout() && last.layout()->lineCount() > 0;
}

bool PaintWatch::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint && m_armed) {
        m_armed = false;
        QTimer::singleShot(0, this, [this] { m_paintedAt = msSince(m_clock); });
    }
    return false;
}

double typeThroughEventLoop(QTextEdit *text, PaintWatch &paint, const QElapsedTimer &clock)
{
    const double started = msSince(clock);
    paint.arm();
    QCoreApplication::postEvent(text, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
    QCoreApplication::postEvent(text, new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
    const QDeadlineTimer deadline(LoopTimeoutMs);
    while (paint.paintedAt() < 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (paint.paintedAt() < 0)
        throw std::runtime_error("the editor did not repaint after a keystroke");
    return paint.paintedAt() - started;
}

QList<double> typeAt(QTextEdit *text, const QTextCursor &at, int keys)
{
    text->setTextCursor(at);
    text->ensureCursorVisible();
    text->setFocus();
    QElapsedTimer clock;
    clock.start();
    PaintWatch paint(text->viewport(), clock);
    QList<double> times;
    for (int i = 0; i < keys; ++i)
        times.append(typeThroughEventLoop(text, paint, clock));
    return times;
}

} // namespace folio::bench
