#include "runner/documentbench.h"

#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "shell/appstate.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "storage/documentstore.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr int OpenRuns = 20;
// Enough runs for a 99th percentile.
constexpr int SaveRuns = 100;
constexpr int TypingRuns = 200;

// How a document reaches the screen: the document pane's own load (read,
// put into the editor), then painted.
void openDocument(MainWindow &window, DocNum num)
{
    window.documentPane().loadDocument(num);
    if (window.state().currentDocNum() != num || window.documentPane().titleBox()->text().isNull())
        throw std::runtime_error("the document was not opened");
    window.documentPane().editor()->textEdit()->viewport()->repaint();
}

// How the shown document is saved: the document pane's own save (the
// editor's HTML and title written back with a new change date).
void saveDocument(MainWindow &window, DocNum num)
{
    window.state().setCurrentDocNum(num);
    if (window.documentPane().saveDocument() != SaveOutcome::Stored)
        throw std::runtime_error("the save was refused");
}

// One keystroke in edit mode as the user types it: the character goes in,
// the editor reports the change of display, the font boxes follow, and
// the editor repaints.
void typeCharacter(MainWindow &window)
{
    QTextEdit *text = window.documentPane().editor()->textEdit();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(text, &press);
    QCoreApplication::sendEvent(text, &release);
    text->viewport()->repaint();
}

} // namespace

void measureDocumentOpenSave(BenchSession &session, ResultTable &table)
{
    const Manifest &m = session.manifest();
    const QString size = QStringLiteral("%1 MB HTML").arg(double(m.oneMegabyteBytes) / (1024 * 1024), 0, 'f', 2);
    const QList<Goal> openGoal{Goal::below(100, QStringLiteral("< 100 ms"))};
    const QList<Goal> saveGoals{Goal::below(50, QStringLiteral("< 50 ms median")),
                                Goal::below(100, QStringLiteral("< 100 ms p99"), Goal::Metric::Percentile99)};
    if (m.oneMegabyteDocument == 0) {
        table.add(BenchRow::failed("open-1mb", QStringLiteral("open document"), QStringLiteral("the base has no 1 MB document"), openGoal));
        return;
    }
    MainWindow &window = session.window();
    HtmlEditor *editor = window.documentPane().editor();
    const QList<double> opens = timeRuns(
        OpenRuns, [&] { openDocument(window, m.oneMegabyteDocument); },
        [&] { editor->setDocumentHtml(QString()); });
    table.add(BenchRow::measured("open-1mb", QStringLiteral("open document"), size, opens, openGoal));

    openDocument(window, m.oneMegabyteDocument);
    const QList<double> saves = timeRuns(SaveRuns, [&] { saveDocument(window, m.oneMegabyteDocument); });
    table.add(BenchRow::measured("save-1mb", QStringLiteral("save document"), size, saves, saveGoals));

    // Typing in the middle of the open document, in edit mode.
    window.documentPane().setEditMode(EditMode::Edit);
    QTextCursor middle(editor->textEdit()->document());
    middle.setPosition(editor->textEdit()->document()->characterCount() / 2);
    editor->textEdit()->setTextCursor(middle);
    const QList<double> keys = timeRuns(TypingRuns, [&] { typeCharacter(window); });
    window.documentPane().setEditMode(EditMode::Browse);
    table.add(BenchRow::measured("type-1mb", QStringLiteral("type a character"), size, keys,
                                 {Goal::below(16, QStringLiteral("< 16 ms (one frame)"))}));
}

} // namespace folio::bench
