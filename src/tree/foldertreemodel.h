#pragma once

#include "tree/folderindex.h"

#include <QAbstractItemModel>
#include <QBrush>
#include <QIcon>

namespace folio {

// The folders as a one-column item model, answered from a FolderIndex:
// a row costs nothing until the view asks for it, and a folder's
// sub-folders are put in order only when it is first expanded. An index's
// internal id is the folder's slot in the index.
class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    static constexpr int DirNumRole = Qt::UserRole;

    explicit FolderTreeModel(QObject *parent = nullptr);

    const FolderIndex &folders() const { return m_index; }
    void setFolderIcon(const QIcon &icon) { m_icon = icon; }

    // Takes new contents (the rows read again): a reset of the model.
    void resetFolders(FolderIndex index);
    // Applies the program's own changes in place.
    bool addFolder(DirNum parent, DirNum num, const QString &name);
    void renameFolder(DirNum num, const QString &name);
    void removeFolder(DirNum num);
    // A moved folder: everything is placed and put in name order again.
    void moveFolder(DirNum num, DirNum newParent);

    QModelIndex indexOfFolder(DirNum num) const;
    static DirNum dirNumOf(const QModelIndex &index);

    // The folder drawn as the drop target (0: none) and its colours.
    void setHighlight(DirNum num, const QBrush &background, const QBrush &foreground);
    DirNum highlight() const { return m_highlight; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    int slotOf(const QModelIndex &index) const
    {
        return index.isValid() ? int(index.internalId()) : FolderIndex::NoSlot;
    }
    QModelIndex indexOfSlot(int slot) const;

    FolderIndex m_index;
    QIcon m_icon;
    DirNum m_highlight = 0;
    QBrush m_highlightBackground;
    QBrush m_highlightForeground;
};

} // namespace folio
