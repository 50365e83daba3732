#include "storage/folderstore.h"

#include "storage/database.h"
#include "storage/nameorder.h"
#include "storage/storageerror.h"
#include "storage/transaction.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>

namespace folio {

namespace {

Folder readFolder(const QSqlQuery &q)
{
    return Folder{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                  q.value(3).toLongLong()};
}

} // namespace

QList<Folder> FolderStore::select(const QString &where, const QVariantList &values,
                                  const QString &operation) const
{
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    prepareOrThrow(q,
                   QStringLiteral("SELECT DirNum, DirName, Attr, Parent FROM DirTable %1 "
                                  "ORDER BY DirName COLLATE %2, DirNum")
                       .arg(where, QLatin1String(NameOrderCollation)),
                   operation);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    execOrThrow(q, operation);
    QList<Folder> folders;
    while (q.next())
        folders.append(readFolder(q));
    return folders;
}

QList<Folder> FolderStore::allFolders() const
{
    return select({}, {}, QStringLiteral("read the folders"));
}

QList<Folder> FolderStore::rootFolders() const
{
    return select(QStringLiteral("WHERE Attr = 'R'"), {}, QStringLiteral("read the top-level folders"));
}

QList<Folder> FolderStore::childFolders(DirNum parent) const
{
    return select(QStringLiteral("WHERE Attr = 'D' AND Parent = ?"), {parent},
                  QStringLiteral("read the sub-folders"));
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
    QSqlQuery q(m_db.connection());
    prepareOrThrow(q, QStringLiteral("INSERT INTO DirTable (DirName, Attr, Parent, Child) VALUES (?, ?, ?, 0)"),
                   operation);
    q.addBindValue(textValue(name));
    q.addBindValue(parent == 0 ? QStringLiteral("R") : QStringLiteral("D"));
    q.addBindValue(parent);
    execOrThrow(q, operation);
    return q.lastInsertId().toLongLong();
}

bool FolderStore::renameFolder(DirNum num, const QString &name)
{
    const QString operation = QStringLiteral("rename the folder");
    QSqlQuery q(m_db.connection());
    prepareOrThrow(q, QStringLiteral("UPDATE DirTable SET DirName = ? WHERE DirNum = ?"), operation);
    q.addBindValue(textValue(name));
    q.addBindValue(num);
    execOrThrow(q, operation);
    return q.numRowsAffected() > 0;
}

bool FolderStore::hasContents(DirNum num) const
{
    const QString operation = QStringLiteral("look into the folder");
    QSqlQuery q(m_db.connection());
    prepareOrThrow(q, QStringLiteral("SELECT EXISTS (SELECT 1 FROM DirTable WHERE Parent = ? AND Attr = 'D') "
                                     "OR EXISTS (SELECT 1 FROM DocTable WHERE DirNum = ?)"),
                   operation);
    q.addBindValue(num);
    q.addBindValue(num);
    execOrThrow(q, operation);
    return q.next() && q.value(0).toBool();
}

bool FolderStore::deleteEmptyFolder(DirNum num)
{
    const QString operation = QStringLiteral("delete the folder");
    Transaction transaction(m_db.connection(), operation);
    if (hasContents(num))
        return false;
    QSqlQuery q(m_db.connection());
    prepareOrThrow(q, QStringLiteral("DELETE FROM DirTable WHERE DirNum = ?"), operation);
    q.addBindValue(num);
    execOrThrow(q, operation);
    const bool deleted = q.numRowsAffected() > 0;
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
        up = f->attr == QLatin1String("D") ? f->parent : 0;
    }
    QSqlQuery q(m_db.connection());
    prepareOrThrow(q, QStringLiteral("UPDATE DirTable SET Parent = ?, Attr = ? WHERE DirNum = ?"), operation);
    q.addBindValue(newParent);
    q.addBindValue(newParent == 0 ? QStringLiteral("R") : QStringLiteral("D"));
    q.addBindValue(num);
    execOrThrow(q, operation);
    if (q.numRowsAffected() == 0)
        throw StorageError(operation, QStringLiteral("the folder no longer exists"));
    transaction.commit();
}

} // namespace folio
