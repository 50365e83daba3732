// foliok-bench: measures the program's own code paths, in-process and
// headless, on a knowledge base made by foliok-benchgen, and prints a table.
//
//   foliok-bench --preset large --seed 1 --data-root bench/data
#include "generator/generatorconfig.h"
#include "generator/manifest.h"
#include "runner/benchcases.h"
#include "runner/benchcharts.h"
#include "runner/benchsession.h"
#include "runner/openexplore.h"
#include "runner/resultstore.h"
#include "runner/resulttable.h"
#include "runner/startupbench.h"
#include "storage/database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>

using namespace folio::bench;

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says on every shown window that it cannot pass size
// hints on: nothing to act on, and it would bury the table.
void dropOffscreenNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    defaultHandler(type, context, message);
}

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString baseFolder(const QCommandLineParser &args)
{
    if (args.isSet("base"))
        return QDir(args.value("base")).absolutePath();
    std::optional<GeneratorConfig> config = GeneratorConfig::fromPreset(args.value("preset"));
    if (!config)
        return {};
    config->seed = args.value("seed").toULongLong();
    return QDir(args.value("data-root")).absoluteFilePath(config->baseName());
}

QString describe(const Manifest &m)
{
    return QStringLiteral("Base: preset %1, seed %2: %3 folders (deepest level %4), %5 documents, %6 of 1-5 MB; "
                          "%7 MB of HTML; KB97.MDB %8 MB.\nQt %9, SQLite %10, %11 processors.")
        .arg(m.config.preset).arg(m.config.seed).arg(m.config.folders).arg(m.deepestLevel)
        .arg(m.config.documents).arg(m.config.largeDocuments).arg(m.htmlBytes / 1e6, 0, 'f', 0)
        .arg(m.fileBytes / 1e6, 0, 'f', 0).arg(QString::fromLatin1(qVersion()))
        .arg(QString::fromLatin1(sqlite3_libversion())).arg(QThread::idealThreadCount());
}

// The machine's load average, to be printed before and after the run: the
// figures of a busy machine are not those of an idle one.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QList<QByteArray> parts = file.readAll().split(' ');
    return parts.size() >= 3 ? QString::fromLatin1(parts[0] + ' ' + parts[1] + ' ' + parts[2])
                             : QStringLiteral("unknown");
}

// Where the charts go: as given, else bench/charts beside bench/data.
QString chartsFolder(const QCommandLineParser &args, const QString &dataRoot)
{
    if (args.isSet("charts-dir"))
        return QDir(args.value("charts-dir")).absolutePath();
    return QDir::cleanPath(QDir(dataRoot).absoluteFilePath(QStringLiteral("../charts")));
}

void drawChartsInto(const QString &dataRoot, const QString &chartsDir)
{
    for (const QString &line : drawCharts(dataRoot, chartsDir))
        say(line);
}

// Keeps the run's measured rows beside the bases (the charts are drawn from
// them), replacing those of earlier runs of the same preset with the same id.
void saveResults(const ResultTable &table, const Manifest &manifest, const QString &path, const QString &date,
                 const QString &loadAverages)
{
    SavedResults run;
    run.preset = manifest.config.preset;
    run.seed = int(manifest.config.seed);
    run.folders = manifest.config.folders;
    run.documents = manifest.config.documents;
    run.rows = savedRowsOf(table, date, loadAverages);
    SavedResults kept = SavedResults::read(path).value_or(SavedResults{});
    // Rows of another seed are another base: they are not mixed.
    if (kept.seed != run.seed)
        kept.rows.clear();
    kept.merge(run);
    say(kept.write(path) ? QStringLiteral("Results kept in %1.").arg(path)
                         : QStringLiteral("Cannot write %1: the results are only in the table above.").arg(path));
}

int runBenchmarks(const QCommandLineParser &args)
{
    const QString base = baseFolder(args);
    const std::optional<Manifest> manifest = Manifest::read(QDir(base).filePath(Manifest::fileName()));
    if (base.isEmpty() || !manifest || !QFile::exists(QDir(base).filePath(folio::LiveDatabaseName))) {
        say(QStringLiteral("no generated knowledge base in %1: run foliok-benchgen first").arg(base));
        return 2;
    }
    const QStringList only = args.value("only").split(QLatin1Char(','), Qt::SkipEmptyParts);
    BenchSession session(base, base + QStringLiteral("-run"), *manifest);
    session.setProgram(args.isSet("program") ? QFileInfo(args.value("program")).absoluteFilePath()
                                             : QDir(QCoreApplication::applicationDirPath()).filePath(
                                                   QStringLiteral("../foliokeeper")));
    session.setBareProgram(args.isSet("bare") ? QFileInfo(args.value("bare")).absoluteFilePath()
                                              : QDir(QCoreApplication::applicationDirPath()).filePath(
                                                    QStringLiteral("foliok-bare")));
    ResultTable table;
    try {
        session.prepareWorkFolder();
    } catch (const std::exception &e) {
        say(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    say(describe(*manifest));
    const QString startLoad = loadAverage();
    const QString startDate = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    say(QStringLiteral("Window system: %1. Load average (1, 5, 15 min) at the start: %2. %3")
            .arg(platformDescription(), startLoad, startDate));
    const int rounds = args.value("rounds").toInt();
    if (rounds < 1) {
        say(QStringLiteral("--rounds needs a number of at least 1"));
        return 2;
    }
    session.setRounds(rounds);
    if (args.isSet("explore-open")) {
        // Each run of each way is one round (one cold document each).
        try {
            exploreOpen(session, table);
        } catch (const std::exception &e) {
            say(QString::fromLocal8Bit(e.what()));
            return 1;
        }
        std::fputs(table.render().toUtf8().constData(), stdout);
        return 0;
    }
    // Round by round, every area in turn: a slow moment of the machine
    // lands in one round of several rows instead of in all runs of one row.
    for (int round = 1; round <= rounds; ++round) {
        for (const BenchCase &c : benchCases()) {
            if (!only.isEmpty() && !only.contains(c.name))
                continue;
            say(QStringLiteral("round %1 of %2: %3 ...").arg(round).arg(rounds).arg(c.name));
            try {
                c.run(session, table);
            } catch (const std::exception &e) {
                table.add(BenchRow::failed(c.name, c.name, QString::fromLocal8Bit(e.what())));
            }
        }
    }
    session.closeWindow();
    const QString endLoad = loadAverage();
    say(QStringLiteral("Load average at the end: %1.").arg(endLoad));
    say(QString());
    std::fputs(table.render().toUtf8().constData(), stdout);
    say(QString());
    const QString dataRoot = QFileInfo(base).absolutePath();
    saveResults(table, *manifest, QDir(dataRoot).filePath(SavedResults::fileName(manifest->config.preset)), startDate,
                startLoad.section(QLatin1Char(' '), 0, 0) + QStringLiteral(" → ") + endLoad.section(QLatin1Char(' '), 0, 0));
    drawChartsInto(dataRoot, chartsFolder(args, dataRoot));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(dropOffscreenNoise);
    QApplication app(argc, argv);
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("Measures Folio Keeper on a generated knowledge base."));
    args.addHelpOption();
    args.addOptions({
        {"preset", "small or large.", "name", "small"},
        {"seed", "Seed the base was generated with.", "number", "1"},
        {"data-root", "Folder that holds the bases.", "folder", "bench/data"},
        {"base", "A generated base folder (instead of preset and seed).", "folder"},
        {"only", "Comma-separated areas: startup, tree, expand, switch, document, pictures, spelling, pages, history, search, file.", "names"},
        {"rounds", "Rounds of every row, interleaved (a verdict needs at least 5).", "number", "5"},
        {"program", "The foliokeeper executable the start-up rows start.", "file"},
        {"bare", "The bare Qt main window the start-up is compared with (default: foliok-bare beside the runner).", "file"},
        {"charts", "Instead of the rows: draw the charts from the results kept in the data root, run nothing."},
        {"charts-dir", "Folder the charts are written to (default: charts beside the data root).", "folder"},
        {"explore-open", "Instead of the rows: ways to show a 1 MB page, on a plain text edit."},
    });
    args.process(app);
    if (args.isSet("charts")) {
        const QString dataRoot = QDir(args.value("data-root")).absolutePath();
        drawChartsInto(dataRoot, chartsFolder(args, dataRoot));
        return 0;
    }
    return runBenchmarks(args);
}
