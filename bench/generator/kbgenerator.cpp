#include "generator/kbgenerator.h"

#include "generator/benchrandom.h"
#include "generator/documentmaker.h"
#include "generator/folderplan.h"
#include "generator/namemaker.h"
#include "storage/database.h"
#include "storage/documentstore.h"
#include "storage/folderstore.h"
#include "storage/transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <stdexcept>

namespace folio::bench {

namespace {

constexpr quint64 FolderStream = 1;
constexpr quint64 PlacementStream = 3;
constexpr int DocumentsPerTransaction = 250;

void prepareFolder(const QString &programDir, const QString &templatePath)
{
    const QDir dir(programDir);
    if (!dir.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create " + programDir.toStdString());
    // The manifest goes first: from here on the folder holds no finished base.
    QFile::remove(dir.filePath(Manifest::fileName()));
    QFile::remove(dir.filePath(LiveDatabaseName));
    const QString blank = dir.filePath(TemplateDatabaseName);
    if (QFileInfo(templatePath).canonicalFilePath() != QFileInfo(blank).canonicalFilePath()) {
        QFile::remove(blank);
        if (!QFile::copy(templatePath, blank))
            throw std::runtime_error("cannot copy the template " + templatePath.toStdString());
    }
}

} // namespace

KnowledgeBaseGenerator::KnowledgeBaseGenerator(GeneratorConfig config)
    : m_config(std::move(config))
{
}

Manifest KnowledgeBaseGenerator::generate(const QString &programDir, const QString &templatePath,
                                          const Progress &progress)
{
    if (const QString problem = m_config.problem(); !problem.isEmpty())
        throw std::runtime_error(problem.toStdString());
    QElapsedTimer clock;
    clock.start();
    prepareFolder(programDir, templatePath);

    Manifest manifest;
    manifest.config = m_config;
    {
        Database db(programDir);
        const OpenResult opened = db.open();
        if (!opened.ok())
            throw std::runtime_error(opened.message.toStdString());
        const NameMaker names;
        BenchRandom folderRandom = BenchRandom::stream(m_config.seed, FolderStream);
        const FolderPlan folders(m_config, names, folderRandom);
        const QList<qint64> dirNums = writeFolders(db, folders);
        if (progress)
            progress(QStringLiteral("%1 folders written").arg(dirNums.size()));
        manifest.switchFolder = dirNums.at(folders.switchFolder());
        manifest.switchFolderDocuments = m_config.switchFolderDocuments;
        manifest.deepestLevel = folders.deepest();
        writeDocuments(db, planDocuments(folders), dirNums, manifest, progress);
    }
    manifest.fileBytes = QFileInfo(QDir(programDir).filePath(LiveDatabaseName)).size();
    manifest.generationSeconds = clock.elapsed() / 1000.0;
    if (!manifest.write(QDir(programDir).filePath(Manifest::fileName())))
        throw std::runtime_error("cannot write the manifest in " + programDir.toStdString());
    return manifest;
}

QList<qint64> KnowledgeBaseGenerator::writeFolders(Database &db, const FolderPlan &plan) const
{
    FolderStore store(db);
    Transaction transaction(db.connection(), QStringLiteral("write the folders"));
    QList<qint64> dirNums;
    dirNums.reserve(plan.folders().size());
    for (const PlannedFolder &folder : plan.folders())
        dirNums.append(store.addFolder(folder.name, folder.parent < 0 ? 0 : dirNums.at(folder.parent)));
    transaction.commit();
    return dirNums;
}

// Which folder each document goes to, and which documents are large. The
// switch folder gets its exact count; the others are filled unevenly (a few
// busy folders, many with a handful of documents, some empty), and the
// documents of all folders are interleaved in the order they are written.
KnowledgeBaseGenerator::DocumentPlan KnowledgeBaseGenerator::planDocuments(const FolderPlan &folders) const
{
    BenchRandom random = BenchRandom::stream(m_config.seed, PlacementStream);
    QList<int> others;
    for (int i = 0; i < folders.folders().size(); ++i)
        if (i != folders.switchFolder())
            others.append(i);
    random.shuffle(others);

    DocumentPlan plan;
    plan.folderOf.fill(folders.switchFolder(), m_config.switchFolderDocuments);
    while (plan.folderOf.size() < m_config.documents) {
        const double u = random.unit();
        plan.folderOf.append(others.at(qsizetype(u * u * double(others.size()))));
    }
    random.shuffle(plan.folderOf);

    QList<int> candidates;
    for (int i = 0; i < plan.folderOf.size(); ++i)
        if (plan.folderOf.at(i) != folders.switchFolder())
            candidates.append(i);
    random.shuffle(candidates);
    plan.isLarge.fill(false, m_config.documents);
    for (int i = 0; i < m_config.largeDocuments; ++i)
        plan.isLarge[candidates.at(i)] = true;
    if (m_config.largeDocuments > 0)
        plan.oneMegabyte = candidates.at(0);
    return plan;
}

void KnowledgeBaseGenerator::writeDocuments(Database &db, const DocumentPlan &plan, const QList<qint64> &dirNums,
                                            Manifest &manifest, const Progress &progress) const
{
    const DocumentMaker maker(m_config);
    DocumentStore store(db);
    const int count = int(plan.folderOf.size());
    for (int first = 0; first < count; first += DocumentsPerTransaction) {
        Transaction transaction(db.connection(), QStringLiteral("write the documents"));
        for (int i = first; i < std::min(count, first + DocumentsPerTransaction); ++i) {
            const DocumentSize size = i == plan.oneMegabyte ? DocumentSize::OneMegabyte
                                      : plan.isLarge.at(i)  ? DocumentSize::Large
                                                            : DocumentSize::Ordinary;
            const MadeDocument made = maker.make(i, size);
            const qint64 num = store.addDocument(dirNums.at(plan.folderOf.at(i)), made.title, made.html, made.changed);
            const qint64 bytes = made.html.toUtf8().size();
            manifest.htmlBytes += bytes;
            if (i == plan.oneMegabyte) {
                manifest.oneMegabyteDocument = num;
                manifest.oneMegabyteBytes = bytes;
            }
            manifest.keywordOneDocuments += made.keywordOne;
            manifest.keywordTwoDocuments += made.keywordTwo;
            manifest.bothKeywordsDocuments += made.keywordOne && made.keywordTwo;
            manifest.twoCharacterDocuments += made.twoCharacters;
        }
        transaction.commit();
        const int done = std::min(count, first + DocumentsPerTransaction);
        if (progress && (done * 10 / count != first * 10 / count || done == count))
            progress(QStringLiteral("%1 of %2 documents written (%3 MB of HTML)")
                         .arg(done).arg(count).arg(manifest.htmlBytes / 1e6, 0, 'f', 0));
    }
}

} // namespace folio::bench
