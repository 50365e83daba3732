#pragma once

#include "storage/atomicfile.h"
#include "storage/types.h"

#include <QString>

#include <atomic>

namespace folio {

enum class ExportFormat { Html, Markdown };

// What an export wrote: the folder made for it and how much went in.
struct ExportResult
{
    QString folder;
    int folders = 0;
    int documents = 0;
    bool cancelled = false;
};

// Writes the folder `root` with everything below it (or, when `root` is 0,
// every folder of the knowledge base) into a new folder inside `target`:
// a folder per folder, a file per document (".htm" pages as stored, in
// UTF-8 with the title in <title>; or ".md" Markdown), and an "index.htm"
// per folder that links its documents and sub-folders. Every file is
// written under a temporary name and renamed when complete. A failure or a
// cancel removes the new folder again, so no partial export is left that
// looks whole. Runs on a worker thread with a connection of its own to the
// database file at `databasePath`. Throws StorageError saying what failed.
ExportResult exportFolderTree(const QString &databasePath, DirNum root, const QString &target, ExportFormat format,
                              const std::atomic<bool> *cancel = nullptr, const ProgressFunction &progress = {});

// The name of the folder an export of the whole knowledge base is written to.
inline const QString WholeBaseExportName = QStringLiteral("Folio Keeper");

// `html` with `title` as its <title> (replacing one it has), so the page
// names its document wherever it goes.
QString pageWithTitle(const QString &html, const QString &title);

} // namespace folio
