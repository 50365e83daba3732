#pragma once

#include "storage/folderrows.h"

#include <QCollatorSortKey>
#include <QString>
#include <optional>
#include <vector>

namespace folio {

// Where the tree shows each folder, for a tree that shows a few hundred of
// a hundred thousand folders. A folder lives in a slot (its position in the
// rows read; the slot of a number is found by binary search); each folder's
// sub-folders are listed once and put in name order only when they are
// first asked for, with a sort key made once per name by the collation the
// queries use (ties by number).
//
// Placement follows the stored parents: top-level folders are the "R" rows;
// a folder whose parent is missing, of an unknown kind or in a circle of
// parents is not placed; folders deeper than the depth bound are not shown,
// and neither is anything below them.
class FolderIndex
{
public:
    static constexpr int NoSlot = -1;

    explicit FolderIndex(int maxDepth = 250) : m_maxDepth(maxDepth) {}

    // Takes the rows read from the table; every folder is placed anew.
    void assign(FolderRows rows);

    int maxDepth() const { return m_maxDepth; }
    int slotCount() const { return m_folders.size(); }
    int slotOf(DirNum num) const;
    DirNum num(int slot) const { return m_folders.num(slot); }
    QString name(int slot) const { return m_folders.name(slot); }
    FolderKind kind(int slot) const { return m_folders.kind(slot); }
    // The stored Parent column (not read for top-level folders).
    DirNum parentNum(int slot) const { return m_folders.parent(slot); }
    // The slot of the folder it is shown under; NoSlot at the top level.
    int parentSlot(int slot) const { return m_parentSlots[slot]; }
    // 1 at the top level, 0 when the folder is not shown.
    int depth(int slot) const { return m_depths[slot]; }
    bool isShown(int slot) const { return slot >= 0 && slot < slotCount() && m_depths[slot] > 0; }

    // How many folders are shown under `slot` (NoSlot: top level), without
    // putting them in order.
    int childCount(int slot) const;
    // Those folders in the order they are shown (name order, until a
    // change appends one after its siblings).
    const std::vector<int> &children(int slot) const;
    // Position of a shown folder among its parent's shown folders.
    int rowOf(int slot) const;

    // Folders at the first level beyond the depth bound.
    int hiddenTooDeep() const { return m_hiddenTooDeep; }
    // Folders under no top-level folder at all.
    int unplaced() const { return m_unplaced; }

    // Changes that the program made to the table, applied without reading
    // the rows again. A new folder goes after its siblings and a renamed one
    // keeps its place until reorder(). add() returns the new slot, or NoSlot
    // when it cannot be placed (parent not shown, or a number not above all
    // others): the caller reads the rows again.
    bool canAdd(DirNum num, DirNum parent) const;
    // Whether a new folder under `parent` (0: the top level) would be shown:
    // the parent is shown and lies above the depth bound.
    bool canAddUnder(DirNum parent) const;
    int add(DirNum num, const QString &name, DirNum parent);
    void rename(int slot, const QString &name);
    // Takes a folder without sub-folders out of the index.
    void remove(int slot);
    // A folder moved under `newParent` (0: the top level): placement, depths
    // and name order are worked out again for the whole index.
    void move(int slot, DirNum newParent);
    // Every list of sub-folders goes back to name order when next asked for.
    void reorder();

private:
    // The folders under slot p are slots[start[p]] .. slots[start[p + 1] - 1].
    struct Below
    {
        std::vector<int> start;
        std::vector<int> slots;
    };
    Below subFoldersByParent() const;
    void place();
    void orderChildren(int slot) const;
    std::vector<int> &list(int slot) const { return slot == NoSlot ? m_roots : m_children[slot]; }

    int m_maxDepth;
    FolderRows m_folders;
    std::vector<char> m_gone;          // removed since the rows were read
    std::vector<int> m_parentSlots;
    std::vector<int> m_depths;
    mutable std::vector<int> m_rows;   // valid once the parent's list is in order
    mutable std::vector<std::vector<int>> m_children;
    mutable std::vector<int> m_roots;
    mutable std::vector<char> m_ordered;  // per slot, the last entry for the top level
    mutable std::vector<std::optional<QCollatorSortKey>> m_keys;
    int m_hiddenTooDeep = 0;
    int m_unplaced = 0;
};

} // namespace folio
