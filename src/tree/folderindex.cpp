#include "tree/folderindex.h"

#include "storage/nameorder.h"

#include <algorithm>

namespace folio {

void FolderIndex::assign(FolderRows rows)
{
    m_folders = std::move(rows);
    m_gone.assign(size_t(slotCount()), 0);
    m_keys.clear();
    m_keys.resize(size_t(slotCount()));
    place();
}

int FolderIndex::slotOf(DirNum num) const
{
    const int slot = m_folders.find(num);
    return slot < 0 || m_gone[size_t(slot)] ? NoSlot : slot;
}

// Every sub-folder listed under its parent, in number order, all lists in
// one array: two allocations instead of one per folder.
FolderIndex::Below FolderIndex::subFoldersByParent() const
{
    const int n = slotCount();
    std::vector<int> parentOf(size_t(n), NoSlot);
    Below below;
    below.start.assign(size_t(n) + 1, 0);
    for (int slot = 0; slot < n; ++slot) {
        if (m_gone[slot] || kind(slot) != FolderKind::Sub)
            continue;
        parentOf[slot] = slotOf(parentNum(slot));
        if (parentOf[slot] != NoSlot)
            ++below.start[size_t(parentOf[slot]) + 1];
    }
    for (int slot = 0; slot < n; ++slot)
        below.start[size_t(slot) + 1] += below.start[size_t(slot)];
    below.slots.resize(size_t(below.start[size_t(n)]));
    std::vector<int> next(below.start.begin(), below.start.end() - 1);
    for (int slot = 0; slot < n; ++slot)
        if (parentOf[slot] != NoSlot)
            below.slots[size_t(next[parentOf[slot]]++)] = slot;
    return below;
}

// Works out from the stored parents where every folder is shown, without
// recursion: a breadth-first walk from the top-level folders. Each folder is
// reached at most once, so a circle of parents cannot loop.
void FolderIndex::place()
{
    const int n = slotCount();
    m_parentSlots.assign(n, NoSlot);
    m_depths.assign(n, 0);
    m_rows.assign(n, 0);
    m_children.assign(n, {});
    m_roots.clear();
    m_ordered.assign(n + 1, 0);
    m_hiddenTooDeep = 0;

    const Below below = subFoldersByParent();
    for (int slot = 0; slot < n; ++slot)
        if (!m_gone[slot] && kind(slot) == FolderKind::Root)
            m_roots.push_back(slot);

    int placed = 0;
    std::vector<int> level = m_roots;
    for (int slot : level)
        m_depths[slot] = 1;
    placed += int(level.size());
    for (int depth = 1; !level.empty(); ++depth) {
        std::vector<int> next;
        for (int parent : level) {
            const bool parentShown = m_depths[parent] > 0;
            for (int at = below.start[parent]; at < below.start[parent + 1]; ++at) {
                const int child = below.slots[size_t(at)];
                if (m_depths[child] != 0)
                    continue;
                ++placed;
                if (parentShown && depth < m_maxDepth) {
                    m_depths[child] = depth + 1;
                    m_parentSlots[child] = parent;
                    if (m_children[parent].empty())
                        m_children[parent].reserve(size_t(below.start[parent + 1] - below.start[parent]));
                    m_children[parent].push_back(child);
                } else {
                    // Beyond the bound: the first level is counted, the
                    // branch below it goes with it.
                    if (parentShown)
                        ++m_hiddenTooDeep;
                    m_depths[child] = -1;
                }
                next.push_back(child);
            }
        }
        level = std::move(next);
    }
    for (int &d : m_depths)
        d = std::max(d, 0);
    int alive = 0;
    for (char gone : m_gone)
        alive += gone ? 0 : 1;
    m_unplaced = alive - placed;
}

int FolderIndex::childCount(int slot) const
{
    if (slot != NoSlot && !isShown(slot))
        return 0;
    return int(list(slot).size());
}

const std::vector<int> &FolderIndex::children(int slot) const
{
    static const std::vector<int> none;
    if (slot != NoSlot && !isShown(slot))
        return none;
    orderChildren(slot);
    return list(slot);
}

int FolderIndex::rowOf(int slot) const
{
    orderChildren(m_parentSlots[slot]);
    return m_rows[slot];
}

void FolderIndex::orderChildren(int slot) const
{
    char &ordered = m_ordered[slot == NoSlot ? m_ordered.size() - 1 : size_t(slot)];
    std::vector<int> &kids = list(slot);
    if (!ordered) {
        for (int kid : kids)
            if (!m_keys[kid])
                m_keys[kid] = nameSortKey(name(kid));
        std::sort(kids.begin(), kids.end(), [this](int a, int b) {
            const int c = m_keys[a]->compare(*m_keys[b]);
            return c != 0 ? c < 0 : num(a) < num(b);
        });
        ordered = 1;
    }
    for (size_t i = 0; i < kids.size(); ++i)
        m_rows[kids[i]] = int(i);
}

bool FolderIndex::canAdd(DirNum num, DirNum parent) const
{
    return canAddUnder(parent) && (slotCount() == 0 || num > m_folders.num(slotCount() - 1));
}

bool FolderIndex::canAddUnder(DirNum parent) const
{
    if (parent == 0)
        return true;
    const int parentSlot = slotOf(parent);
    return isShown(parentSlot) && m_depths[parentSlot] < m_maxDepth;
}

int FolderIndex::add(DirNum num, const QString &name, DirNum parent)
{
    if (!canAdd(num, parent))
        return NoSlot;
    const int parentSlot = parent == 0 ? NoSlot : slotOf(parent);
    orderChildren(parentSlot);
    const int slot = slotCount();
    const QByteArray utf8 = name.toUtf8();
    m_folders.append(num, parent, parent == 0 ? FolderKind::Root : FolderKind::Sub,
                     std::string_view(utf8.constData(), size_t(utf8.size())));
    m_gone.push_back(0);
    m_parentSlots.push_back(parentSlot);
    m_depths.push_back(parent == 0 ? 1 : m_depths[parentSlot] + 1);
    m_children.emplace_back();
    m_keys.emplace_back();
    m_ordered.insert(m_ordered.end() - 1, 1);
    std::vector<int> &siblings = list(parentSlot);
    m_rows.push_back(int(siblings.size()));
    siblings.push_back(slot);
    return slot;
}

void FolderIndex::rename(int slot, const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    m_folders.rename(slot, std::string_view(utf8.constData(), size_t(utf8.size())));
    m_keys[slot].reset();
}

void FolderIndex::remove(int slot)
{
    if (isShown(slot)) {
        const int parent = m_parentSlots[slot];
        orderChildren(parent);
        std::vector<int> &siblings = list(parent);
        siblings.erase(siblings.begin() + m_rows[slot]);
        for (size_t i = size_t(m_rows[slot]); i < siblings.size(); ++i)
            m_rows[siblings[i]] = int(i);
    }
    m_gone[slot] = 1;
    m_depths[slot] = 0;
    m_folders.rename(slot, {});
    m_keys[slot].reset();
}

void FolderIndex::move(int slot, DirNum newParent)
{
    m_folders.setPlace(slot, newParent, newParent == 0 ? FolderKind::Root : FolderKind::Sub);
    place();
}

void FolderIndex::reorder()
{
    std::fill(m_ordered.begin(), m_ordered.end(), 0);
}

} // namespace folio
