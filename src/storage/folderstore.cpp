#include "storage/folderstore.h"

#include "storage/database.h"
#include "storage/nameorder.h"
#include "storage/statement.h"
#include "storage/storageerror.h"
#include "storage/transaction.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>

namespace folio {

namespace {

Folder readFolder(const QSqlQuery &q)
{
    return Folder{q.value(0).toLongLong(), q.value(1).toString(), folderKindFromAttr(q.value(2).toString()),
                  q.value(3).toLongLong()};
}

} // namespace

FolderKind folderKindFromAttr(const QString &attr)
{
    if (attr == QLatin1String("R"))
        return FolderKind::Root;
    if (attr == QLatin1String("D"))
        return FolderKind::Sub;
    return FolderKind::Unreachable;
}

QString attrForKind(FolderKind kind)
{
    return kind == FolderKind::Root ? QStringLiteral("R") : QStringLiteral("D");
}

QList<Folder> FolderStore::select(const QString &where, const QVariantList &values,
                                  const QString &operation) const
{
    QSqlQuery q = runStatement(m_db.connection(),
                               QStringLiteral("SELECT DirNum, DirName, Attr, Parent FROM DirTable %1 "
                                              "ORDER BY DirName COLLATE %2, DirNum")
                                   .arg(where, QLatin1String(NameOrderCollation)),
                               values, operation);
    QList<Folder> folders;
    while (q.next())
        folders.append(readFolder(q));
    return folders;
}

QList<Folder> FolderStore::allFolders() const
{
    return select({}, {}, QStringLiteral("read the folders"));
}

std::optional<Folder> FolderStore::folder(DirNum num) const
{
    const QList<Folder> found = select(QStringLiteral("WHERE DirNum = ?"), {num}, QStringLiteral("read a folder"));
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

DirNum FolderStore::addFolder(const QString &name, DirNum parent)
{
    const QString operation = QStringLiteral("add the folder");
    if (parent != 0 && !folder(parent))
        throw StorageError(operation, QStringLiteral("the folder to hold it no longer exists"));
    const QSqlQuery q = runStatement(
        m_db.connection(), QStringLiteral("INSERT INTO DirTable (DirName, Attr, Parent, Child) VALUES (?, ?, ?, 0)"),
        {textValue(name), attrForKind(parent == 0 ? FolderKind::Root : FolderKind::Sub), parent}, operation);
    // The key is the one this insert made: the Child marker is never needed
    // to find the row again.
    return q.lastInsertId().toLongLong();
}

void FolderStore::clearNewRowMarkers()
{
    runStatement(m_db.connection(), QStringLiteral("UPDATE DirTable SET Child = 0 WHERE Child <> 0"), {},
                 QStringLiteral("clear the new-folder markers"));
}

bool FolderStore::renameFolder(DirNum num, const QString &name)
{
    return runStatement(m_db.connection(), QStringLiteral("UPDATE DirTable SET DirName = ? WHERE DirNum = ?"),
                        {textValue(name), num}, QStringLiteral("rename the folder"))
               .numRowsAffected()
        > 0;
}

bool FolderStore::hasContents(DirNum num) const
{
    QSqlQuery q = runStatement(m_db.connection(),
                               QStringLiteral("SELECT EXISTS (SELECT 1 FROM DirTable WHERE Parent = ? AND Attr = 'D') "
                                              "OR EXISTS (SELECT 1 FROM DocTable WHERE DirNum = ?)"),
                               {num, num}, QStringLiteral("look into the folder"));
    return q.next() && q.value(0).toBool();
}

bool FolderStore::deleteEmptyFolder(DirNum num)
{
    const QString operation = QStringLiteral("delete the folder");
    Transaction transaction(m_db.connection(), operation);
    if (hasContents(num))
        return false;
    const bool deleted = runStatement(m_db.connection(), QStringLiteral("DELETE FROM DirTable WHERE DirNum = ?"),
                                      {num}, operation)
                             .numRowsAffected()
        > 0;
    transaction.commit();
    return deleted;
}

void FolderStore::moveFolder(DirNum num, DirNum newParent)
{
    const QString operation = QStringLiteral("move the folder");
    Transaction transaction(m_db.connection(), operation);
    // Walk up from the new parent: meeting the folder itself means the move
    // would make it its own ancestor.
    QSet<DirNum> seen;
    for (DirNum up = newParent; up != 0 && !seen.contains(up);) {
        if (up == num)
            throw StorageError(operation, QStringLiteral("a folder cannot be moved into itself or its own sub-folder"));
        seen.insert(up);
        const std::optional<Folder> f = folder(up);
        if (!f)
            throw StorageError(operation, QStringLiteral("the target folder no longer exists"));
        up = f->kind == FolderKind::Sub ? f->parent : 0;
    }
    const QSqlQuery q = runStatement(
        m_db.connection(), QStringLiteral("UPDATE DirTable SET Parent = ?, Attr = ? WHERE DirNum = ?"),
        {newParent, attrForKind(newParent == 0 ? FolderKind::Root : FolderKind::Sub), num}, operation);
    if (q.numRowsAffected() == 0)
        throw StorageError(operation, QStringLiteral("the folder no longer exists"));
    transaction.commit();
}

} // namespace folio
