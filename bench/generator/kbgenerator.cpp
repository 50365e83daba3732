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
#include <QSqlError>
#include <QSqlQuery>
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
    QFile::remove(dir.filePath(Manifest::checkpointName()));
    QFile::remove(dir.filePath(LiveDatabaseName));
    const QString blank = dir.filePath(TemplateDatabaseName);
    if (QFileInfo(templatePath).canonicalFilePath() != QFileInfo(blank).canonicalFilePath()) {
        QFile::remove(blank);
        if (!QFile::copy(templatePath, blank))
            throw std::runtime_error("cannot copy the template " + templatePath.toStdString());
    }
}

void openOrThrow(Database &db)
{
    const OpenResult opened = db.open();
    if (!opened.ok())
        throw std::runtime_error(opened.message.toStdString());
}

QSqlQuery queryOrThrow(Database &db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw std::runtime_error(q.lastError().text().toStdString());
    for (const QVariant &value : values)
        q.addBindValue(value);
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
    return q;
}

} // namespace

KnowledgeBaseGenerator::KnowledgeBaseGenerator(GeneratorConfig config)
    : m_config(std::move(config))
{
}

Manifest KnowledgeBaseGenerator::generate(const QString &programDir, const QString &templatePath,
                                          const Progress &progress, int stopAfter)
{
    if (const QString problem = m_config.problem(); !problem.isEmpty())
        throw std::runtime_error(problem.toStdString());
    QElapsedTimer clock;
    clock.start();
    const QDir dir(programDir);
    const NameMaker names;
    BenchRandom folderRandom = BenchRandom::stream(m_config.seed, FolderStream);
    const FolderPlan folders(m_config, names, folderRandom);
    const DocumentPlan plan = planDocuments(folders);

    // An interrupted generation of the same settings goes on where it stopped.
    std::optional<Manifest> resumed;
    QList<qint64> dirNums;
    if (QFileInfo::exists(dir.filePath(Manifest::checkpointName())) && QFileInfo::exists(dir.filePath(LiveDatabaseName))
        && !QFileInfo::exists(dir.filePath(Manifest::fileName()))) {
        Database db(programDir);
        if (db.open().ok()) {
            dirNums = readFolders(db, folders);
            if (!dirNums.isEmpty())
                resumed = resumePoint(programDir, db, plan);
        }
    }
    if (!resumed)
        prepareFolder(programDir, templatePath);
    else if (progress)
        progress(QStringLiteral("going on from document %1 of %2 (an earlier generation stopped there)")
                     .arg(resumed->documentsWritten).arg(m_config.documents));

    Manifest manifest = resumed.value_or(Manifest{});
    const double earlierSeconds = manifest.generationSeconds;
    {
        Database db(programDir);
        openOrThrow(db);
        if (!resumed) {
            manifest.config = m_config;
            dirNums = writeFolders(db, folders);
            if (progress)
                progress(QStringLiteral("%1 folders written").arg(dirNums.size()));
            manifest.switchFolder = dirNums.at(folders.switchFolder());
            manifest.switchFolderDocuments = m_config.switchFolderDocuments;
            manifest.deepestLevel = folders.deepest();
            if (!manifest.write(dir.filePath(Manifest::checkpointName())))
                throw std::runtime_error("cannot write the checkpoint in " + programDir.toStdString());
        }
        writeDocuments(db, programDir, plan, dirNums, manifest, progress, stopAfter);
    }
    manifest.generationSeconds = earlierSeconds + clock.elapsed() / 1000.0;
    if (manifest.documentsWritten < m_config.documents)
        return manifest;
    manifest.fileBytes = QFileInfo(dir.filePath(LiveDatabaseName)).size();
    if (!manifest.write(dir.filePath(Manifest::fileName())))
        throw std::runtime_error("cannot write the manifest in " + programDir.toStdString());
    QFile::remove(dir.filePath(Manifest::checkpointName()));
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

QList<qint64> KnowledgeBaseGenerator::readFolders(Database &db, const FolderPlan &plan) const
{
    // The folders went in in plan order, in one transaction, into an empty
    // table: ascending DirNums are the plan order.
    QSqlQuery q = queryOrThrow(db, QStringLiteral("SELECT DirNum, DirName FROM DirTable ORDER BY DirNum"));
    QList<qint64> dirNums;
    while (q.next()) {
        if (dirNums.size() >= plan.folders().size() || q.value(1).toString() != plan.folders().at(dirNums.size()).name)
            return {};
        dirNums.append(q.value(0).toLongLong());
    }
    return dirNums.size() == plan.folders().size() ? dirNums : QList<qint64>{};
}

std::optional<Manifest> KnowledgeBaseGenerator::resumePoint(const QString &programDir, Database &db,
                                                            const DocumentPlan &plan) const
{
    std::optional<Manifest> saved = Manifest::read(QDir(programDir).filePath(Manifest::checkpointName()));
    if (!saved || !saved->describes(m_config))
        return std::nullopt;
    QSqlQuery count = queryOrThrow(db, QStringLiteral("SELECT COUNT(*) FROM DocTable"));
    const qint64 rows = count.next() ? count.value(0).toLongLong() : -1;
    if (rows < saved->documentsWritten || rows > m_config.documents)
        return std::nullopt;
    // A transaction that was committed just before the stop, before its
    // checkpoint was written: its documents are counted in now.
    if (rows > saved->documentsWritten) {
        const DocumentMaker maker(m_config);
        QSqlQuery q = queryOrThrow(db, QStringLiteral("SELECT DocNum FROM DocTable ORDER BY DocNum LIMIT -1 OFFSET ?"),
                                   {saved->documentsWritten});
        for (int i = saved->documentsWritten; q.next(); ++i) {
            countDocument(*saved, plan, i, maker.make(i, plan.sizeOf.at(i)), q.value(0).toLongLong());
            saved->documentsWritten = i + 1;
        }
    }
    return saved;
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
    plan.sizeOf.fill(DocumentSize::Ordinary, m_config.documents);
    plan.sampleOf.fill(-1, m_config.documents);
    for (int i = 0; i < m_config.largeDocuments; ++i)
        plan.sizeOf[candidates.at(i)] = DocumentSize::Large;
    if (m_config.largeDocuments > 0) {
        plan.oneMegabyte = candidates.at(0);
        plan.sizeOf[plan.oneMegabyte] = DocumentSize::OneMegabyte;
    }
    const DocumentSize sampleSizes[3] = {DocumentSize::TenKilobytes, DocumentSize::HundredKilobytes,
                                         DocumentSize::OneMegabyte};
    for (int size = 0; size < 3; ++size) {
        for (int i = 0; i < m_config.openSamples; ++i) {
            const int index = candidates.at(m_config.largeDocuments + size * m_config.openSamples + i);
            plan.sizeOf[index] = sampleSizes[size];
            plan.sampleOf[index] = size;
        }
    }
    return plan;
}

void KnowledgeBaseGenerator::countDocument(Manifest &manifest, const DocumentPlan &plan, int index,
                                           const MadeDocument &made, qint64 docNum)
{
    const qint64 bytes = made.html.toUtf8().size();
    manifest.htmlBytes += bytes;
    if (index == plan.oneMegabyte) {
        manifest.oneMegabyteDocument = docNum;
        manifest.oneMegabyteBytes = bytes;
    }
    if (const int sample = plan.sampleOf.at(index); sample >= 0) {
        manifest.openSamples[sample].append(docNum);
        manifest.openSampleTotalBytes[sample] += bytes;
    }
    manifest.keywordOneDocuments += made.keywordOne;
    manifest.keywordTwoDocuments += made.keywordTwo;
    manifest.bothKeywordsDocuments += made.keywordOne && made.keywordTwo;
    manifest.twoCharacterDocuments += made.twoCharacters;
}

void KnowledgeBaseGenerator::writeDocuments(Database &db, const QString &programDir, const DocumentPlan &plan,
                                            const QList<qint64> &dirNums, Manifest &manifest,
                                            const Progress &progress, int stopAfter) const
{
    const DocumentMaker maker(m_config);
    DocumentStore store(db);
    const QString checkpoint = QDir(programDir).filePath(Manifest::checkpointName());
    const int count = int(plan.folderOf.size());
    const int end = stopAfter >= 0 ? std::min(count, stopAfter) : count;
    const int startedAt = manifest.documentsWritten;
    const double secondsBefore = manifest.generationSeconds;
    QElapsedTimer clock, sinceReport;
    clock.start();
    sinceReport.start();
    for (int first = manifest.documentsWritten; first < end; first += DocumentsPerTransaction) {
        const int last = std::min(end, first + DocumentsPerTransaction);
        Manifest next = manifest;
        Transaction transaction(db.connection(), QStringLiteral("write the documents"));
        for (int i = first; i < last; ++i) {
            const MadeDocument made = maker.make(i, plan.sizeOf.at(i));
            const qint64 num = store.addDocument(dirNums.at(plan.folderOf.at(i)), made.title, made.html, made.changed);
            countDocument(next, plan, i, made, num);
        }
        transaction.commit();
        next.documentsWritten = last;
        next.generationSeconds = secondsBefore + clock.elapsed() / 1000.0;
        manifest = next;
        if (!manifest.write(checkpoint))
            throw std::runtime_error("cannot write the checkpoint in " + programDir.toStdString());
        if (progress && (sinceReport.elapsed() >= 5000 || last == count)) {
            sinceReport.restart();
            const double perSecond = double(last - startedAt) / std::max<double>(clock.elapsed(), 1) * 1000;
            const double minutesLeft = perSecond > 0 ? (count - last) / perSecond / 60 : 0;
            progress(QStringLiteral("%1 of %2 documents written (%3 MB of HTML), %4 documents/s, about %5 min left")
                         .arg(last).arg(count).arg(manifest.htmlBytes / 1e6, 0, 'f', 0)
                         .arg(perSecond, 0, 'f', 0).arg(minutesLeft, 0, 'f', 1));
        }
    }
}

} // namespace folio::bench
