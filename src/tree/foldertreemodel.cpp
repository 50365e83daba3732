#include "tree/foldertreemodel.h"

namespace folio {

FolderTreeModel::FolderTreeModel(QObject *parent) : QAbstractItemModel(parent) {}

void FolderTreeModel::resetFolders(FolderIndex index)
{
    beginResetModel();
    m_index = std::move(index);
    m_highlight = 0;
    endResetModel();
}

bool FolderTreeModel::addFolder(DirNum parent, DirNum num, const QString &name)
{
    const int parentSlot = parent == 0 ? FolderIndex::NoSlot : m_index.slotOf(parent);
    if (parent != 0 && !m_index.isShown(parentSlot))
        return false;
    const QModelIndex above = indexOfSlot(parentSlot);
    if (!m_index.canAdd(num, parent))
        return false;
    const int row = rowCount(above);
    beginInsertRows(above, row, row);
    m_index.add(num, name, parent);
    endInsertRows();
    return true;
}

void FolderTreeModel::renameFolder(DirNum num, const QString &name)
{
    const int slot = m_index.slotOf(num);
    if (slot == FolderIndex::NoSlot)
        return;
    m_index.rename(slot, name);
    if (m_index.isShown(slot)) {
        const QModelIndex at = indexOfSlot(slot);
        Q_EMIT dataChanged(at, at);
    }
}

void FolderTreeModel::removeFolder(DirNum num)
{
    const int slot = m_index.slotOf(num);
    if (slot == FolderIndex::NoSlot)
        return;
    if (m_highlight == num)
        m_highlight = 0;
    if (!m_index.isShown(slot)) {
        m_index.remove(slot);
        return;
    }
    const QModelIndex at = indexOfSlot(slot);
    beginRemoveRows(at.parent(), at.row(), at.row());
    m_index.remove(slot);
    endRemoveRows();
}

void FolderTreeModel::moveFolder(DirNum num, DirNum newParent)
{
    const int slot = m_index.slotOf(num);
    if (slot == FolderIndex::NoSlot)
        return;
    beginResetModel();
    m_index.move(slot, newParent);
    m_highlight = 0;
    endResetModel();
}

QModelIndex FolderTreeModel::indexOfFolder(DirNum num) const
{
    const int slot = num == 0 ? FolderIndex::NoSlot : m_index.slotOf(num);
    return m_index.isShown(slot) ? indexOfSlot(slot) : QModelIndex();
}

QModelIndex FolderTreeModel::indexOfSlot(int slot) const
{
    if (slot == FolderIndex::NoSlot)
        return {};
    return createIndex(m_index.rowOf(slot), 0, quintptr(slot));
}

DirNum FolderTreeModel::dirNumOf(const QModelIndex &index)
{
    return index.isValid() ? index.data(DirNumRole).toLongLong() : 0;
}

void FolderTreeModel::setHighlight(DirNum num, const QBrush &background, const QBrush &foreground)
{
    const DirNum before = m_highlight;
    m_highlight = num;
    m_highlightBackground = background;
    m_highlightForeground = foreground;
    for (DirNum changed : {before, num}) {
        const QModelIndex at = indexOfFolder(changed);
        if (at.isValid())
            Q_EMIT dataChanged(at, at, {Qt::BackgroundRole, Qt::ForegroundRole});
    }
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || parent.column() > 0)
        return {};
    const int parentSlot = slotOf(parent);
    if (row >= m_index.childCount(parentSlot))
        return {};
    return createIndex(row, 0, quintptr(m_index.children(parentSlot)[size_t(row)]));
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return indexOfSlot(m_index.parentSlot(slotOf(child)));
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return m_index.childCount(slotOf(parent));
}

int FolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

// Asked for every row drawn: answered without putting the sub-folders in order.
bool FolderTreeModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int slot = slotOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_index.name(slot);
    case Qt::DecorationRole:
        return m_icon;
    case DirNumRole:
        return m_index.num(slot);
    case Qt::BackgroundRole:
        return m_highlight != 0 && m_index.num(slot) == m_highlight ? QVariant(m_highlightBackground) : QVariant();
    case Qt::ForegroundRole:
        return m_highlight != 0 && m_index.num(slot) == m_highlight ? QVariant(m_highlightForeground) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

} // namespace folio
