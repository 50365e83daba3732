#pragma once

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
class KnowledgeBaseGenerator
{
public:
    using Progress = std::function<void(const QString &)>;

    explicit KnowledgeBaseGenerator(GeneratorConfig config);

    // Makes KB97.MDB in `programDir` from the template at `templatePath`,
    // replacing an earlier base there, and writes the manifest beside it
    // last, so an interrupted run is never taken for a finished base.
    // Throws StorageError or std::runtime_error.
    Manifest generate(const QString &programDir, const QString &templatePath, const Progress &progress = {});

private:
    struct DocumentPlan
    {
        QList<int> folderOf;    // plan index of each document's folder
        QList<bool> isLarge;
        int oneMegabyte = -1;   // index of the 1 MB document
    };

    DocumentPlan planDocuments(const FolderPlan &folders) const;
    QList<qint64> writeFolders(Database &db, const FolderPlan &plan) const;
    void writeDocuments(Database &db, const DocumentPlan &plan, const QList<qint64> &dirNums, Manifest &manifest,
                        const Progress &progress) const;

    GeneratorConfig m_config;
};

} // namespace folio::bench
