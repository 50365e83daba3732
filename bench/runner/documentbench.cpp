#include "runner/documentbench.h"

#include "runner/editorsteps.h"

#include "app/mainwindow.h"
#include "editor/documentpane.h"
#include "editor/editrecovery.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "session/appstate.h"
#include "widgets/picturedata.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <stdexcept>

namespace folio::bench {

namespace {

// Per round. A round's p99 is judged from 100 runs on; the typing rows
// pool at least 1,000 keystrokes over the rounds.
constexpr int SaveRuns = 200;
constexpr int TypingRuns = 250;
constexpr int RefreshRuns = 20;
constexpr int KeepingSaveRuns = 20;

const char *const SizeIds[3] = {"10k", "100k", "1mb"};
const char *const SizeNames[3] = {"10 KB", "100 KB", "1 MB"};




void ageHistory(MainWindow &window, DocNum doc)
{
    QSqlQuery q(window.database().connection());
    q.prepare(QStringLiteral("UPDATE DocHistory SET KeptAt = '2000-01-01 00:00:00' WHERE DocNum = ?"));
    q.addBindValue(doc);
    if (!q.exec())
        throw std::runtime_error("the kept versions could not be made older");
}

void saveDocument(MainWindow &window)
{
    if (window.documentPane().saveDocument() != SaveOutcome::Stored)
        throw std::runtime_error("the save was refused");
}



struct OpenFigures
{
    double firstPaint = -1;
    double layoutDone = -1;
    double longestFreeze = 0;
};

// One open as the program does it when the user picks a document: the
// pane's load runs from the event loop, and the loop goes on (as it does
// for the user) until the editor has painted and the layout has reached
// the end of the document. A 1 ms timer meanwhile marks each moment the
// loop was free; the longest gap between them is the freeze.
OpenFigures openThroughEventLoop(MainWindow &window, DocNum num)
{
    QTextEdit *text = window.documentPane().editor()->textEdit();
    QElapsedTimer clock;
    clock.start();
    PaintWatch paint(text->viewport(), clock);
    double started = -1;
    double lastFree = -1;
    OpenFigures figures;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (started < 0)
            return;
        const double now = msSince(clock);
        figures.longestFreeze = std::max(figures.longestFreeze, now - lastFree);
        lastFree = now;
        // The first screen of a long page is laid out long before the page:
        // complete means the whole page in the editor and laid out.
        if (figures.layoutDone < 0 && !window.documentPane().editor()->isLoading()
            && layoutComplete(text->document()))
            figures.layoutDone = now - started;
    });
    tick.start();
    QString failure;
    QTimer::singleShot(0, [&] {
        started = lastFree = msSince(clock);
        paint.arm();
        try {
            loadIntoPane(window, num);
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
        }
    });
    const QDeadlineTimer deadline(LoopTimeoutMs);
    while ((figures.layoutDone < 0 || paint.paintedAt() < 0) && failure.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
    if (figures.layoutDone < 0 || paint.paintedAt() < 0)
        throw std::runtime_error("the open did not finish painting and laying out within a minute");
    figures.firstPaint = paint.paintedAt() - started;
    return figures;
}



void measureOpens(BenchSession &session, ResultTable &table, MainWindow &window)
{
    const Manifest &m = session.manifest();
    const QList<Goal> paintGoal{Goal::below(100, QStringLiteral("≤ 100 ms"))};
    const QList<Goal> freezeGoal{Goal::below(100, QStringLiteral("≤ 100 ms"))};
    for (int size = 0; size < 3; ++size) {
        const QString id = QString::fromLatin1(SizeIds[size]);
        const bool megabyte = size == 2;
        const QString paintOp = QStringLiteral("open %1, first paint").arg(SizeNames[size]);
        const QList<qint64> &samples = m.openSamples.at(size);
        const int perRound = std::max(1, int(samples.size()) / std::max(1, session.rounds()));
        QList<double> paints, layouts, freezes;
        for (int i = 0; i < perRound; ++i) {
            const std::optional<qint64> num = session.takeOpenSample(size);
            if (!num) {
                table.add(BenchRow::failed("open-paint-" + id, paintOp,
                                           QStringLiteral("no document of this size left that was not opened before "
                                                          "(the base has %1; generate with more --open-samples)")
                                               .arg(samples.size()),
                                           megabyte ? paintGoal : QList<Goal>{}));
                return;
            }
            emptyEditor(window);
            const OpenFigures figures = openThroughEventLoop(window, *num);
            paints.append(figures.firstPaint);
            layouts.append(figures.layoutDone);
            freezes.append(figures.longestFreeze);
        }
        const double kilobytes = samples.isEmpty() ? 0 : double(m.openSampleTotalBytes.at(size)) / samples.size() / 1024;
        const QString dataSize = QStringLiteral("%1 KB HTML, cold").arg(kilobytes, 0, 'f', 0);
        table.add(BenchRow::measured("open-paint-" + id, paintOp, dataSize, paints,
                                     megabyte ? paintGoal : QList<Goal>{}));
        table.add(BenchRow::measured("open-layout-" + id, QStringLiteral("open %1, layout complete").arg(SizeNames[size]),
                                     dataSize, layouts));
        table.add(BenchRow::measured("open-freeze-" + id,
                                     QStringLiteral("open %1, longest event-loop freeze").arg(SizeNames[size]),
                                     dataSize, freezes, megabyte ? freezeGoal : QList<Goal>{}));
    }
}

// Keeping the unsaved words of the 1 MB document safe from a crash: the
// window's share (a copy of the document handed to the writer thread) and
// the writer's (the file written, flushed and renamed into place).
void measureRecoveryRefresh(BenchSession &session, ResultTable &table, MainWindow &window, const QString &size)
{
    const QList<Goal> frameGoal{Goal::below(16, QStringLiteral("< 16 ms (one frame)"))};
    EditRecovery &recovery = window.documentPane().recovery();
    QList<double> windowShare, written;
    for (int i = 0; i < session.runsPerRound(RefreshRuns); ++i) {
        QElapsedTimer clock;
        clock.start();
        recovery.refresh();
        windowShare.append(msSince(clock));
        recovery.flush();
        written.append(msSince(clock));
    }
    table.add(BenchRow::measured("keep-1mb-window", QStringLiteral("keep unsaved words, the window's share"), size,
                                 windowShare, frameGoal));
    table.add(BenchRow::measured("keep-1mb-written", QStringLiteral("keep unsaved words, written and flushed"), size,
                                 written));
}

} // namespace

void measureDocumentOpenSave(BenchSession &session, ResultTable &table)
{
    const Manifest &m = session.manifest();
    const QString size = QStringLiteral("%1 MB HTML").arg(double(m.oneMegabyteBytes) / (1024 * 1024), 0, 'f', 2);
    const QList<Goal> saveGoals{Goal::below(50, QStringLiteral("< 50 ms median")),
                                Goal::below(100, QStringLiteral("< 100 ms p99"), Goal::Metric::Percentile99)};
    const QList<Goal> typingGoal{Goal::below(16, QStringLiteral("< 16 ms (one frame)"))};
    MainWindow &window = session.window();
    measureOpens(session, table, window);

    if (m.oneMegabyteDocument == 0) {
        table.add(BenchRow::failed("save-1mb", QStringLiteral("save document"),
                                   QStringLiteral("the base has no 1 MB document"), saveGoals));
        return;
    }
    emptyEditor(window);
    loadIntoPane(window, m.oneMegabyteDocument);
    beginRevision(window, m.oneMegabyteDocument);
    const QList<double> saves = timeRuns(session.runsPerRound(SaveRuns), [&] { saveDocument(window); });
    table.add(BenchRow::measured("save-1mb", QStringLiteral("save document"), size, saves, saveGoals));
    // The first save of a changed text after ten minutes also keeps the
    // version it replaces: before each run (untimed) a word is added and the
    // versions kept are made to look older.
    QTextEdit *edited = window.documentPane().editor()->textEdit();
    const auto addWord = [edited] {
        QTextCursor end(edited->document());
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral(" kept"));
    };
    const QList<double> keeping = timeRuns(session.runsPerRound(KeepingSaveRuns), [&] { saveDocument(window); },
                                           [&] {
                                               addWord();
                                               ageHistory(window, m.oneMegabyteDocument);
                                           });
    table.add(BenchRow::measured("save-1mb-keeping", QStringLiteral("save document, keeping the version it replaces"),
                                 size, keeping, saveGoals));
    // The same changed saves within ten minutes of the last version kept:
    // what a changed text costs without the history (the search index).
    const QList<double> changed = timeRuns(session.runsPerRound(KeepingSaveRuns), [&] { saveDocument(window); }, addWord);
    table.add(BenchRow::measured("save-1mb-changed", QStringLiteral("save document, text changed, no version kept"),
                                 size, changed, saveGoals));

    // Typing in the middle of the open document, in edit mode.
    QTextEdit *text = window.documentPane().editor()->textEdit();
    QTextCursor middle(text->document());
    middle.setPosition(text->document()->characterCount() / 2);
    const QList<double> keys = typeAt(text, middle, session.runsPerRound(TypingRuns));
    const bool typed = text->toPlainText().contains(QString(keys.size(), QLatin1Char('a')));
    measureRecoveryRefresh(session, table, window, size);
    // The typed letters are not wanted in the base.
    window.documentPane().cancelEditing();
    if (!typed) {
        table.add(BenchRow::failed("type-1mb", QStringLiteral("type a character, through the event loop"),
                                   QStringLiteral("the typed characters did not reach the document"), typingGoal));
        return;
    }
    table.add(BenchRow::measured("type-1mb", QStringLiteral("type a character, through the event loop"), size, keys,
                                 typingGoal));
}

namespace {

constexpr int Pictures = 20;
constexpr int PictureOpenRuns = 3;
constexpr int PictureTypingRuns = 100;

// A photograph-like picture of 1,600 × 1,200: smooth colour with a little
// noise, which JPEG stores in about 300 KB.
QImage benchPhoto(int seed)
{
    QImage image(MaxPictureSide, MaxPictureSide * 3 / 4, QImage::Format_RGB32);
    QRandomGenerator random{quint32(seed)};
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(12));
            line[x] = qRgb((x / 7 + seed * 40 + n) % 256, (y / 5 + n) % 256, ((x + y) / 11 + n) % 256);
        }
    }
    return image;
}

// A document of text with 20 pictures as the program stores them, written
// once into the work copy (untimed). Returns its number and HTML size.
std::pair<DocNum, qint64> pictureDocument(MainWindow &window)
{
    QSqlDatabase db = window.database().connection();
    QSqlQuery found(db);
    if (found.exec(QStringLiteral("SELECT DocNum, length(Text) FROM DocTable WHERE DocName = 'Twenty pictures'"))
        && found.next())
        return {found.value(0).toLongLong(), found.value(1).toLongLong()};
    QString html = QStringLiteral("<html><body>");
    for (int i = 0; i < Pictures; ++i) {
        const PictureResult picture = preparePicture(benchPhoto(i), QStringLiteral("bench"));
        if (!picture.picture)
            throw std::runtime_error("the bench picture could not be prepared");
        html += QStringLiteral("<p>");
        for (int word = 0; word < 120; ++word)
            html += QStringLiteral("picture%1 word%2 ").arg(i).arg(word);
        html += QStringLiteral("</p><p><img src=\"%1\" width=\"640\" height=\"480\" /></p>").arg(picture.picture->dataUrl);
    }
    html += QStringLiteral("</body></html>");
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) "
                                  "SELECT min(DirNum), 'Twenty pictures', ?, '01-01-2020 00:00:00' FROM DirTable"));
    insert.addBindValue(html);
    if (!insert.exec())
        throw std::runtime_error("the document with pictures could not be stored");
    return {insert.lastInsertId().toLongLong(), html.size()};
}

// Scrolls the shown document from top to bottom a page at a time, each step
// through the event loop until the editor has painted; the slowest step.
double slowestScrollStep(QTextEdit *text)
{
    QScrollBar *bar = text->verticalScrollBar();
    bar->setValue(0);
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    PaintWatch paint(text->viewport(), clock);
    double slowest = 0;
    while (bar->value() < bar->maximum()) {
        const double started = msSince(clock);
        paint.arm();
        bar->setValue(bar->value() + bar->pageStep());
        const QDeadlineTimer deadline(LoopTimeoutMs);
        while (paint.paintedAt() < 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (paint.paintedAt() < 0)
            throw std::runtime_error("the editor did not repaint after scrolling");
        slowest = std::max(slowest, paint.paintedAt() - started);
    }
    return slowest;
}

int firstPicturePosition(const QTextDocument *document)
{
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                return it.fragment().position();
    return -1;
}

} // namespace

void measurePictures(BenchSession &session, ResultTable &table)
{
    const QList<Goal> paintGoal{Goal::below(100, QStringLiteral("≤ 100 ms"))};
    const QList<Goal> stallGoal{Goal::below(50, QStringLiteral("≤ 50 ms"))};
    const QList<Goal> typingGoal{Goal::below(16, QStringLiteral("< 16 ms (one frame)"))};
    MainWindow &window = session.window();
    QTextEdit *text = window.documentPane().editor()->textEdit();
    try {
        const auto [doc, chars] = pictureDocument(window);
        const QString size = QStringLiteral("20 pictures, %1 MB HTML").arg(double(chars) / (1024 * 1024), 0, 'f', 1);
        QList<double> paints, freezes, scrolls;
        for (int i = 0; i < session.runsPerRound(PictureOpenRuns); ++i) {
            emptyEditor(window);
            const OpenFigures figures = openThroughEventLoop(window, doc);
            paints.append(figures.firstPaint);
            freezes.append(figures.longestFreeze);
            scrolls.append(slowestScrollStep(text));
        }
        table.add(BenchRow::measured("pictures-open-paint", QStringLiteral("open a document with pictures, first paint"),
                                     size, paints, paintGoal));
        table.add(BenchRow::measured("pictures-open-freeze",
                                     QStringLiteral("open a document with pictures, longest event-loop freeze"), size,
                                     freezes, {}));
        table.add(BenchRow::measured("pictures-scroll", QStringLiteral("scroll it a page at a time, slowest step"), size,
                                     scrolls, stallGoal));

        beginRevision(window, doc);
        QTextCursor next(text->document());
        next.setPosition(firstPicturePosition(text->document()) + 1);
        const QList<double> keys = typeAt(text, next, session.runsPerRound(PictureTypingRuns));
        window.documentPane().cancelEditing();
        table.add(BenchRow::measured("pictures-type", QStringLiteral("type a character next to a picture"), size, keys,
                                     typingGoal));
    } catch (const std::exception &e) {
        table.add(BenchRow::failed("pictures-open-paint", QStringLiteral("open a document with pictures, first paint"),
                                   QString::fromUtf8(e.what()), paintGoal));
    }
    emptyEditor(window);
}

} // namespace folio::bench

