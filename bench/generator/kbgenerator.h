#pragma once

#include "generator/documentmaker.h"
#include "generator/generatorconfig.h"
#include "generator/manifest.h"

#include <QList>
#include <functional>

namespace folio {
class Database;
}

namespace folio::bench {

class FolderPlan;

// Writes a synthetic knowledge base through the program's own storage code
// (Database, FolderStore, DocumentStore): the folders of a FolderPlan, then
// the documents, in transactions of a few hundred rows. The same settings
// give the same rows, change dates included.
//
// After each transaction a checkpoint (Manifest::checkpointName()) records
// how far it got, so that a generation that was stopped goes on from there
// when it is started again with the same settings; the result is the same
// as that of a run that was never stopped.
class KnowledgeBaseGenerator
{
public:
    using Progress = std::function<void(const QString &)>;

    explicit KnowledgeBaseGenerator(GeneratorConfig config);

    // Makes KB97.MDB in `programDir` from the template at `templatePath`,
    // replacing an earlier base there (or finishing an interrupted one of the
    // same settings), and writes the manifest beside it last, so an
    // interrupted run is never taken for a finished base.
    // `stopAfter` >= 0 stops (as an interruption would) once that many
    // documents are written in all, and returns the checkpoint's manifest.
    // Throws StorageError or std::runtime_error.
    Manifest generate(const QString &programDir, const QString &templatePath, const Progress &progress = {},
                      int stopAfter = -1);

private:
    struct DocumentPlan
    {
        QList<int> folderOf;    // plan index of each document's folder
        QList<DocumentSize> sizeOf;
        QList<int> sampleOf;    // which open-sample size it is, -1 for none
        int oneMegabyte = -1;   // index of the 1 MB document
    };

    DocumentPlan planDocuments(const FolderPlan &folders) const;
    QList<qint64> writeFolders(Database &db, const FolderPlan &plan) const;
    // The DirNums of a base written earlier, in plan order; empty when they
    // do not match the plan.
    QList<qint64> readFolders(Database &db, const FolderPlan &plan) const;
    // The checkpoint of an unfinished base of these settings whose documents
    // match it (written rows past it are counted in); none otherwise.
    std::optional<Manifest> resumePoint(const QString &programDir, Database &db, const DocumentPlan &plan) const;
    static void countDocument(Manifest &manifest, const DocumentPlan &plan, int index, const MadeDocument &made,
                              qint64 docNum);
    void writeDocuments(Database &db, const QString &programDir, const DocumentPlan &plan,
                        const QList<qint64> &dirNums, Manifest &manifest, const Progress &progress,
                        int stopAfter) const;

    GeneratorConfig m_config;
};

} // namespace folio::bench
