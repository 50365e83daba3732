#pragma once

#include "storage/atomicfile.h"
#include "storage/types.h"
#include "transfer/importmodel.h"

#include <QString>

#include <atomic>
#include <optional>

namespace folio {

// The kinds of source "Import..." reads.
enum class ImportKind { Files, Zim, CherryTree, Evernote };

// The kind a path most likely is: a folder with a notebook.zim is a Zim
// notebook, any other folder a tree of files; a file by its ending.
ImportKind guessImportKind(const QString &path);
// The kind when the path leaves no doubt (an existing folder, or a file
// ending in .enex, .ctb, .ctd or .zim); nothing otherwise.
std::optional<ImportKind> evidentImportKind(const QString &path);

struct ImportResult
{
    DirNum folder = 0;        // the new top-level folder
    QString folderName;
    int folders = 0;          // the new folder included
    int documents = 0;
    QList<SkippedItem> skipped;
    bool cancelled = false;   // nothing was written
};

// Reads `source` and adds it under a new top-level folder "Imported <name>"
// in one transaction on a connection of its own to the database file at
// `databasePath`: all of it, or nothing when it is cancelled or fails.
// Throws ImportFailure when the source as a whole cannot be read and
// StorageError when writing fails; the file is unchanged then.
ImportResult importCollection(const QString &databasePath, ImportKind kind, const QString &source,
                              const std::atomic<bool> *cancel = nullptr, const ProgressFunction &progress = {});

// A body fragment as a whole page naming its title.
QString importedPage(const QString &title, const QString &body);

} // namespace folio
