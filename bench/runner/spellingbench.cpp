#include "runner/spellingbench.h"

#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/spellchecker.h"
#include "editor/spellhighlighter.h"
#include "editor/spellingoptions.h"
#include "runner/benchsession.h"
#include "runner/editorsteps.h"
#include "runner/resulttable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr int SpellingRevisions = 3;
constexpr int SpellingTypingRuns = 200;
constexpr qsizetype PasteBytes = 10 << 20;

struct LoopWatch
{
    double longestStall = 0;
    double finishedAfter = -1;
};

// Runs the event loop until `done` holds, a 1 ms timer marking each moment
// the loop was free; the longest gap between them is the stall.
template<typename Done>
LoopWatch watchLoopUntil(Done done)
{
    QElapsedTimer clock;
    clock.start();
    LoopWatch watch;
    double lastFree = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = msSince(clock);
        watch.longestStall = std::max(watch.longestStall, now - lastFree);
        lastFree = now;
    });
    tick.start();
    const QDeadlineTimer deadline(LoopTimeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!done())
        throw std::runtime_error("the event loop did not reach its end within a minute");
    watch.finishedAfter = msSince(clock);
    return watch;
}

// Pasted plain text as a user's notes would be: English words with some
// misspelt, in paragraphs.
QString pasteText(qsizetype bytes)
{
    static const QStringList words = {"the", "notes", "of", "meeting", "wrold", "about", "plans", "recieve",
                                      "for", "next", "year", "and", "budgett", "with", "people", "working"};
    QString text;
    text.reserve(bytes + 100);
    QRandomGenerator random(7);
    while (text.size() < bytes) {
        for (int i = 0; i < 60; ++i)
            text += words.at(int(random.bounded(words.size()))) + QLatin1Char(' ');
        text += QLatin1Char('\n');
    }
    return text;
}

// One revision of the 1 MB document, opened and laid out first (the layout's
// own slices are the open rows' concern), the loop watched until the whole
// text is checked; with `spelling` off, for as long as `watchMs`.
struct SpellingRun
{
    LoopWatch loop;
    double longestSlice = 0;
};

SpellingRun reviseOnce(MainWindow &window, DocNum doc, double watchMs)
{
    QTextEdit *text = window.documentPane().editor()->textEdit();
    SpellHighlighter *spelling = window.documentPane().editor()->spelling();
    loadIntoPane(window, doc);
    watchLoopUntil([&] { return layoutComplete(text->document()); });
    beginRevision(window, doc);
    spelling->resetLongestSlice();
    QElapsedTimer clock;
    clock.start();
    SpellingRun run;
    run.loop = watchLoopUntil([&] { return spelling->isIdle() && clock.elapsed() >= watchMs; });
    run.longestSlice = spelling->longestSliceMs();
    return run;
}

// A 10 MB paste at the end of a revision: the paste itself is the text
// engine's; the checking after it must leave the window alive.
SpellingRun pasteOnce(MainWindow &window, DocNum doc, const QString &pasted, double watchMs, double *pasteMs)
{
    QTextEdit *text = window.documentPane().editor()->textEdit();
    SpellHighlighter *spelling = window.documentPane().editor()->spelling();
    beginRevision(window, doc);
    QTextCursor end(text->document());
    end.movePosition(QTextCursor::End);
    text->setTextCursor(end);
    QElapsedTimer clock;
    clock.start();
    text->insertPlainText(pasted);
    watchLoopUntil([&] { return layoutComplete(text->document()); });
    *pasteMs = msSince(clock);
    spelling->resetLongestSlice();
    clock.restart();
    SpellingRun run;
    run.loop = watchLoopUntil([&] { return spelling->isIdle() && clock.elapsed() >= watchMs; });
    run.longestSlice = spelling->longestSliceMs();
    window.documentPane().cancelEditing();
    return run;
}

} // namespace

void measureSpelling(BenchSession &session, ResultTable &table)
{
    const QList<Goal> sliceGoal{Goal::below(50, QStringLiteral("≤ 50 ms"))};
    const QList<Goal> typingGoal{Goal::below(16, QStringLiteral("< 16 ms (one frame)"))};
    MainWindow &window = session.window();
    const Manifest &m = session.manifest();
    QTextEdit *text = window.documentPane().editor()->textEdit();
    SpellChecker &checker = window.documentPane().spelling().checker();
    const QStringList languages = checker.languages();
    const QString size = QStringLiteral("%1 MB HTML").arg(double(m.oneMegabyteBytes) / (1024 * 1024), 0, 'f', 2);
    try {
        if (m.oneMegabyteDocument == 0)
            throw std::runtime_error("the base has no 1 MB document");
        if (languages.isEmpty())
            throw std::runtime_error("no spelling dictionary is installed");
        // With spelling, and then, as long, without: the stalls the text
        // engine makes on its own (a revision gives the editor a new size).
        QList<double> slices, stalls, stallsOff, wholes;
        for (int i = 0; i < session.runsPerRound(SpellingRevisions); ++i) {
            const SpellingRun on = reviseOnce(window, m.oneMegabyteDocument, 0);
            window.documentPane().cancelEditing();
            checker.setLanguages({});
            const SpellingRun off = reviseOnce(window, m.oneMegabyteDocument, on.loop.finishedAfter);
            window.documentPane().cancelEditing();
            checker.setLanguages(languages);
            slices.append(on.longestSlice);
            stalls.append(on.loop.longestStall);
            stallsOff.append(off.loop.longestStall);
            wholes.append(on.loop.finishedAfter);
        }
        table.add(BenchRow::measured("spelling-revise-slice",
                                     QStringLiteral("revise 1 MB, longest piece of spell checking between events"),
                                     size, slices, sliceGoal));
        table.add(BenchRow::measured("spelling-revise-stall",
                                     QStringLiteral("revise 1 MB, longest event-loop stall while it is checked"), size,
                                     stalls));
        table.add(BenchRow::measured("spelling-revise-stall-off",
                                     QStringLiteral("revise 1 MB, longest event-loop stall, spelling off"), size,
                                     stallsOff));
        table.add(BenchRow::measured("spelling-revise-whole", QStringLiteral("revise 1 MB, whole text checked after"),
                                     size, wholes));

        // Typing into a word in the middle: the word turns misspelt or back,
        // and its block gets its marks laid out again.
        reviseOnce(window, m.oneMegabyteDocument, 0);
        QTextCursor middle(text->document());
        middle.setPosition(text->document()->characterCount() / 2);
        middle.movePosition(QTextCursor::EndOfWord);
        const QList<double> keys = typeAt(text, middle, session.runsPerRound(SpellingTypingRuns));
        window.documentPane().cancelEditing();
        table.add(BenchRow::measured("spelling-type-1mb", QStringLiteral("type into a word, spelling on"), size, keys,
                                     typingGoal));

        const QString pasted = pasteText(PasteBytes);
        double pasteMs = 0;
        const SpellingRun on = pasteOnce(window, m.oneMegabyteDocument, pasted, 0, &pasteMs);
        checker.setLanguages({});
        double pasteOffMs = 0;
        const SpellingRun off = pasteOnce(window, m.oneMegabyteDocument, pasted, on.loop.finishedAfter, &pasteOffMs);
        checker.setLanguages(languages);
        const QString pasteSize = QStringLiteral("10 MB plain text, pasted and laid out in %1 ms").arg(pasteMs, 0, 'f', 0);
        table.add(BenchRow::measured("spelling-paste-slice",
                                     QStringLiteral("paste 10 MB, longest piece of spell checking between events"),
                                     pasteSize, {on.longestSlice}, sliceGoal));
        table.add(BenchRow::measured("spelling-paste-stall",
                                     QStringLiteral("paste 10 MB, longest event-loop stall while it is checked"),
                                     pasteSize, {on.loop.longestStall}));
        table.add(BenchRow::measured("spelling-paste-stall-off",
                                     QStringLiteral("paste 10 MB, longest event-loop stall, spelling off"), pasteSize,
                                     {off.loop.longestStall}));
        table.add(BenchRow::measured("spelling-paste-whole", QStringLiteral("paste 10 MB, whole text checked after"),
                                     pasteSize, {on.loop.finishedAfter}));
    } catch (const std::exception &e) {
        checker.setLanguages(languages);
        table.add(BenchRow::failed("spelling-revise-slice",
                                   QStringLiteral("revise 1 MB, longest piece of spell checking between events"),
                                   QString::fromUtf8(e.what()), sliceGoal));
    }
    emptyEditor(window);
}

} // namespace folio::bench
