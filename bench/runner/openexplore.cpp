#include "runner/openexplore.h"

#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "storage/database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QThread>
#include <QTimer>
#include <QFont>
#include <functional>
#include <optional>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr int RunsPerVariant = 3;

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// parseOnWorker, optionally with a default font set before the parse.
void parseWithFont(const QString &html, QObject *receiver, std::function<void(QTextDocument *)> done,
                   std::optional<QFont> font)
{
    QThread *gui = QThread::currentThread();
    QPointer<QObject> target(receiver);
    QThread *worker = QThread::create([html, gui, target, done, font] {
        auto *document = new QTextDocument;
        // With the edit's font set beforehand, taking the document into the
        // edit does not change its default font (which formats every block again).
        if (font)
            document->setDefaultFont(*font);
        document->setHtml(html);
        document->moveToThread(gui);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [document, target, done] {
                if (target)
                    done(document);
                else
                    delete document;
            },
            Qt::QueuedConnection);
    });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

} // namespace

QString firstScreenOf(const QString &html, qsizetype chars)
{
    const qsizetype cut = html.indexOf(QLatin1String("</p>"), chars);
    if (cut < 0)
        return html;
    return html.left(cut + 4) + QStringLiteral("</body></html>");
}

void parseOnWorker(const QString &html, QObject *receiver, std::function<void(QTextDocument *)> done)
{
    parseWithFont(html, receiver, std::move(done), std::nullopt);
}

namespace {

// Takes a document parsed elsewhere into the edit, then ends the open.
std::function<void(QTextDocument *)> swapInto(QTextEdit *edit, std::function<void()> final)
{
    return [edit, final = std::move(final)](QTextDocument *document) {
        document->setParent(edit);
        edit->setDocument(document);
        final();
    };
}

struct Variant
{
    QString id;
    QString name;
    // Starts showing `html` in `edit`; calls `final()` once the whole
    // document is in the edit (layout may still be going on).
    std::function<void(QTextEdit *, const QString &, std::function<void()> final)> show;
};

struct Figures
{
    double firstPaint = -1;
    double layoutDone = -1;
    double freeze = 0;
};

class PaintFlag : public QObject
{
public:
    explicit PaintFlag(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

Figures measure(QTextEdit *edit, const QString &html, const Variant &variant)
{
    edit->clear();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    PaintFlag paint(edit->viewport());
    double started = -1, lastFree = -1;
    bool final = false;
    Figures figures;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (started < 0)
            return;
        const double now = msSince(clock);
        figures.freeze = std::max(figures.freeze, now - lastFree);
        lastFree = now;
        if (figures.firstPaint < 0 && paint.painted)
            figures.firstPaint = now - started;
        const QTextBlock last = edit->document()->lastBlock();
        if (final && figures.layoutDone < 0 && last.layout() && last.layout()->lineCount() > 0)
            figures.layoutDone = now - started;
    });
    tick.start();
    QTimer::singleShot(0, [&] {
        started = lastFree = msSince(clock);
        paint.painted = false;
        variant.show(edit, html, [&] { final = true; });
    });
    const QDeadlineTimer deadline(60000);
    while ((figures.layoutDone < 0 || figures.firstPaint < 0) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (figures.layoutDone < 0 || figures.firstPaint < 0)
        throw std::runtime_error("a variant did not finish within a minute");
    return figures;
}

QString pageOf(const QString &database, qint64 docNum)
{
    const QString name = QStringLiteral("explore-%1").arg(docNum);
    QString html;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("SELECT Text FROM DocTable WHERE DocNum = ?"));
            q.addBindValue(docNum);
            if (q.exec() && q.next())
                html = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return html;
}

} // namespace

void exploreOpen(BenchSession &session, ResultTable &table)
{
    const QList<Variant> variants{
        {"set-html", QStringLiteral("setHtml on the shown edit (as now)"),
         [](QTextEdit *edit, const QString &html, std::function<void()> final) {
             edit->setHtml(html);
             final();
         }},
        {"worker", QStringLiteral("parsed on a worker, setDocument"),
         [](QTextEdit *edit, const QString &html, std::function<void()> final) {
             parseOnWorker(html, edit, swapInto(edit, final));
         }},
        {"first-screen", QStringLiteral("first 16 KB at once, the rest parsed on a worker"),
         [](QTextEdit *edit, const QString &html, std::function<void()> final) {
             edit->setHtml(firstScreenOf(html, 16 * 1024));
             parseOnWorker(html, edit, swapInto(edit, final));
         }},
        {"worker-font", QStringLiteral("parsed on a worker in the edit's font, setDocument"),
         [](QTextEdit *edit, const QString &html, std::function<void()> final) {
             parseWithFont(html, edit, swapInto(edit, final), edit->document()->defaultFont());
         }},
        {"first-screen-font", QStringLiteral("first 16 KB at once, the rest on a worker in the edit's font"),
         [](QTextEdit *edit, const QString &html, std::function<void()> final) {
             edit->setHtml(firstScreenOf(html, 16 * 1024));
             parseWithFont(html, edit, swapInto(edit, final), edit->document()->defaultFont());
         }},
    };
    QTextEdit edit;
    edit.setReadOnly(true);
    edit.resize(800, 600);
    edit.show();
    const QDeadlineTimer exposed(5000);
    while (!exposed.hasExpired() && !edit.isVisible())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();

    const QString database = QDir(session.baseDir()).filePath(LiveDatabaseName);
    for (int run = 0; run < RunsPerVariant; ++run) {
        for (const Variant &variant : variants) {
            const std::optional<qint64> num = session.takeOpenSample(2);
            if (!num)
                throw std::runtime_error("not enough 1 MB documents left for the exploration");
            const QString html = pageOf(database, *num);
            if (html.isEmpty())
                throw std::runtime_error("a 1 MB document could not be read");
            const Figures f = measure(&edit, html, variant);
            const QString size = QStringLiteral("1 MB, cold");
            table.add(BenchRow::measured("explore-paint-" + variant.id, variant.name + QStringLiteral(": first paint"),
                                         size, {f.firstPaint}, {Goal::below(100, QStringLiteral("≤ 100 ms"))}));
            table.add(BenchRow::measured("explore-freeze-" + variant.id, variant.name + QStringLiteral(": longest freeze"),
                                         size, {f.freeze}, {Goal::below(100, QStringLiteral("≤ 100 ms"))}));
            table.add(BenchRow::measured("explore-layout-" + variant.id, variant.name + QStringLiteral(": layout complete"),
                                         size, {f.layoutDone}));
        }
    }
}

} // namespace folio::bench
