#include "runner/transferbench.h"

#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "runner/stats.h"
#include "storage/storageerror.h"
#include "transfer/folderexport.h"
#include "transfer/importrun.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <stdexcept>
#include <unistd.h>

namespace folio::bench {

namespace {

constexpr int MarkdownFolders = 100;
constexpr int MarkdownPerFolder = 100;
constexpr int MarkdownBytes = 5000;
constexpr int Runs = 1;  // per round

const char *const Words[] = {"ledger", "harbour", "quartz", "meadow", "lantern", "cobalt", "orchard", "ember",
                             "saffron", "granite", "willow", "tundra", "velvet", "juniper", "marble", "cinder"};

QString word(QRandomGenerator &random)
{
    return QString::fromLatin1(Words[random.bounded(int(std::size(Words)))]);
}

// A page of about MarkdownBytes: a heading, paragraphs with emphasis and
// links, a list and now and then a code block.
QByteArray markdownPage(int number, QRandomGenerator &random)
{
    QString page = QStringLiteral("# Note %1 %2\n\n").arg(number).arg(word(random));
    while (page.size() < MarkdownBytes) {
        QString paragraph;
        for (int i = 0; i < 60; ++i) {
            const int kind = random.bounded(20);
            paragraph += kind == 0 ? QStringLiteral("**%1** ").arg(word(random))
                : kind == 1        ? QStringLiteral("*%1* ").arg(word(random))
                : kind == 2        ? QStringLiteral("[%1](https://example.org/%1) ").arg(word(random))
                                   : word(random) + QLatin1Char(' ');
        }
        page += paragraph.trimmed() + QStringLiteral("\n\n");
        if (random.bounded(3) == 0)
            page += QStringLiteral("- %1\n- %2\n- [ ] %3\n\n").arg(word(random), word(random), word(random));
        if (random.bounded(6) == 0)
            page += QStringLiteral("```\n%1 = %2\n```\n\n").arg(word(random), word(random));
    }
    return page.toUtf8();
}

// The Markdown tree, made once beside the base and kept for later runs.
QString markdownSource(const BenchSession &session)
{
    const QString root = session.baseDir() + QStringLiteral("-markdown");
    const QString done = QDir(root).filePath(QStringLiteral(".complete"));
    if (QFile::exists(done))
        return QDir(root).filePath(QStringLiteral("notes"));
    QDir(root).removeRecursively();
    QRandomGenerator random(4242);
    for (int f = 0; f < MarkdownFolders; ++f) {
        const QString folder = QDir(root).filePath(QStringLiteral("notes/%1/topic %2").arg(f / 10).arg(f));
        if (!QDir().mkpath(folder))
            throw std::runtime_error("cannot make the Markdown source");
        for (int n = 0; n < MarkdownPerFolder; ++n) {
            QFile file(QDir(folder).filePath(QStringLiteral("note %1.md").arg(n)));
            if (!file.open(QIODevice::WriteOnly) || file.write(markdownPage(f * MarkdownPerFolder + n, random)) < 0)
                throw std::runtime_error("cannot write the Markdown source");
        }
    }
    QFile(done).open(QIODevice::WriteOnly);
    return QDir(root).filePath(QStringLiteral("notes"));
}

BenchRow timed(const QString &id, const QString &operation, const QString &size, const Goal &goal,
               const std::function<void()> &work, const std::function<void()> &prepare)
{
    try {
        return BenchRow::measured(id, operation, size, timeRuns(Runs, work, prepare), {goal});
    } catch (const StorageError &e) {
        return BenchRow::failed(id, operation, e.userText(), {goal});
    } catch (const ImportFailure &e) {
        return BenchRow::failed(id, operation, e.message, {goal});
    }
}

} // namespace

void measureTransfer(BenchSession &session, ResultTable &table)
{
    // The worker connection needs the file to itself as it has it in the
    // program, where the commands wait while it works.
    session.closeWindow();
    const QString live = session.liveDatabasePath();
    const QString exportTarget = QDir(session.workDir()).filePath(QStringLiteral("export"));
    const QString documents = QStringLiteral("%1 documents").arg(session.manifest().documentsWritten);
    table.add(timed(
        QStringLiteral("export-all"), QStringLiteral("export every folder as HTML pages"), documents,
        Goal::below(60000, QStringLiteral("≤ 60 s (large base)")),
        [&] {
            const ExportResult result = exportFolderTree(live, 0, exportTarget, ExportFormat::Html);
            table.addNote(QStringLiteral("export: %1 folders and %2 documents written")
                              .arg(result.folders)
                              .arg(result.documents));
        },
        // The base as generated (an import of an earlier round is gone), and
        // an empty folder to write into.
        [&] {
            session.prepareWorkFolder();
            QDir().mkpath(exportTarget);
            ::sync();  // the removal of the last export's files is not timed
        }));
    QDir(exportTarget).removeRecursively();

    const QString source = markdownSource(session);
    const QString size = QStringLiteral("%1 files, %2 MB")
                             .arg(MarkdownFolders * MarkdownPerFolder)
                             .arg(MarkdownFolders * MarkdownPerFolder * qint64(MarkdownBytes) / 1000000);
    table.add(timed(
        QStringLiteral("import-markdown"), QStringLiteral("import a tree of Markdown files"), size,
        Goal::below(30000, QStringLiteral("≤ 30 s")),
        [&] {
            const ImportResult result = importCollection(live, ImportKind::Files, source);
            table.addNote(QStringLiteral("import: %1 folders and %2 documents added, %3 left out")
                              .arg(result.folders)
                              .arg(result.documents)
                              .arg(result.skipped.size()));
        },
        // Each run adds to the base as it was generated.
        [&] { session.prepareWorkFolder(); }));
}

} // namespace folio::bench
