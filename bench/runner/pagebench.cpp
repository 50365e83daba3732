#include "runner/pagebench.h"

#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "runner/stats.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace folio::bench {

namespace {

constexpr int PageRuns = 3;

// About `chars` characters of words in paragraphs.
QString paragraphs(int chars)
{
    QString text;
    for (int word = 0; text.size() < chars; ++word)
        text += word % 80 == 79 ? QStringLiteral("w%1</p><p>").arg(word) : QStringLiteral("w%1 ").arg(word);
    return QStringLiteral("<p>") + text + QStringLiteral("</p>");
}

// `inner` inside `depth` tables, each level with `perLevel` of its own text.
QString insideTables(int depth, const QString &inner, const QString &perLevel = {})
{
    QString html = inner;
    for (int level = 0; level < depth; ++level)
        html = QStringLiteral("<table border=1><tr><td>") + perLevel + html + QStringLiteral("</td><td>x</td></tr></table>");
    return QStringLiteral("<html><body>") + html + QStringLiteral("</body></html>");
}

struct Page
{
    const char *id;
    const char *name;
    QString html;
};

bool layoutComplete(const QTextDocument *document)
{
    const QTextBlock last = document->lastBlock();
    return last.isValid() && last.layout() && last.layout()->lineCount() > 0;
}

// From handing the page to the editor until its last block is laid out.
void openPage(MainWindow &window, const QString &html)
{
    HtmlEditor *editor = window.documentPane().editor();
    editor->setDocumentHtml(html);
    const QDeadlineTimer deadline(120000);
    while (!layoutComplete(editor->textEdit()->document()) && !deadline.hasExpired())
        QCoreApplication::processEvents();
    if (deadline.hasExpired())
        throw std::runtime_error("the page was not laid out within two minutes");
}

} // namespace

void measureHostilePages(BenchSession &session, ResultTable &table)
{
    const QList<Goal> goal{Goal::below(1000, QStringLiteral("< 1 s"))};
    const Page pages[] = {
        {"page-66-tables", "open a page of 66 tables inside one another", insideTables(66, QStringLiteral("end"), QStringLiteral("level "))},
        {"page-3000-tables", "open a page of 3,000 tables inside one another", insideTables(3000, QStringLiteral("end"), paragraphs(60))},
        {"page-100k-6-tables", "open 100 KB of text inside 6 tables", insideTables(6, paragraphs(100'000))},
        {"page-1mb-1-table", "open 1 MB of text inside one table", insideTables(1, paragraphs(1'000'000))},
    };
    MainWindow &window = session.window();
    for (const Page &page : pages) {
        const QString size = QStringLiteral("%1 KB HTML").arg(page.html.size() * 2 / 1024);
        try {
            const QList<double> times = timeRuns(session.runsPerRound(PageRuns), [&] { openPage(window, page.html); },
                                                 [&] { window.documentPane().editor()->setDocumentHtml(QString()); });
            table.add(BenchRow::measured(QLatin1String(page.id), QLatin1String(page.name), size, times, goal));
        } catch (const std::exception &e) {
            table.add(BenchRow::failed(QLatin1String(page.id), QLatin1String(page.name), QString::fromUtf8(e.what()), goal));
        }
    }
    window.documentPane().editor()->setDocumentHtml(QString());
}

} // namespace folio::bench
