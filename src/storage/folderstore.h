#pragma once

#include "storage/types.h"

#include <QList>
#include <optional>

namespace folio {

class Database;

// The folder table. Every statement binds its values; names may hold any text.
class FolderStore
{
public:
    explicit FolderStore(Database &db) : m_db(db) {}

    // Every folder row in name order (ties by number), reachable or not.
    // The tree reads the rows compactly through FolderRows.
    QList<Folder> allFolders() const;
    std::optional<Folder> folder(DirNum num) const;

    // Adds a folder at the top level (parent 0) or under `parent`, which
    // must exist; returns the key of the row it inserted. Its new-row
    // marker (Child) is 0.
    DirNum addFolder(const QString &name, DirNum parent);
    // Resets the new-row marker that an interrupted add may have left on
    // some rows. One pass over the table: called
    // after the user adds a folder, not for every row a tool writes.
    void clearNewRowMarkers();
    // Returns false when no such folder exists.
    bool renameFolder(DirNum num, const QString &name);
    // True when the folder holds sub-folders or documents.
    bool hasContents(DirNum num) const;
    // Deletes the folder only when it is empty; returns false (and deletes
    // nothing) when it holds sub-folders or documents or does not exist.
    bool deleteEmptyFolder(DirNum num);
    // Moves a folder under `newParent`, or to the top level when it is 0.
    // Refuses (StorageError) a move under the folder itself or one of its
    // own sub-folders, which would cut the branch off the tree.
    void moveFolder(DirNum num, DirNum newParent);

private:
    QList<Folder> select(const QString &where, const QVariantList &values, const QString &operation) const;
    Database &m_db;
};

} // namespace folio
