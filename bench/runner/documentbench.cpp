#include "runner/documentbench.h"

#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "storage/documentstore.h"

#include <QDateTime>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr int OpenRuns = 20;
// Enough runs for a 99th percentile.
constexpr int SaveRuns = 100;

// How a document reaches the screen: read from the store, put into the
// editor, painted. When the document pane gets its own load, this is the
// one place to call it instead.
void openDocument(MainWindow &window, DocNum num)
{
    const std::optional<Document> document = window.context().documents.readDocument(num);
    if (!document)
        throw std::runtime_error("the document is missing");
    HtmlEditor *editor = window.documentPane().editor();
    editor->setDocumentHtml(document->html);
    editor->textEdit()->viewport()->repaint();
}

// How the shown document is saved: the editor's HTML written back with a
// new change date. When the document pane gets its own save, this is the
// one place to call it instead.
void saveDocument(MainWindow &window, DocNum num, const QString &title)
{
    const QString html = window.documentPane().editor()->documentHtml();
    window.context().documents.updateDocument(num, title, html, formatChangeDate(QDateTime::currentDateTime()));
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

    const QString title = window.context().documents.readDocument(m.oneMegabyteDocument)->title;
    const QList<double> saves = timeRuns(SaveRuns, [&] { saveDocument(window, m.oneMegabyteDocument, title); });
    table.add(BenchRow::measured("save-1mb", QStringLiteral("save document"), size, saves, saveGoals));
}

} // namespace folio::bench
