#include "storage/folderindex.h"

#include "storage/database.h"
#include "storage/nameorder.h"
#include "storage/sqlitehandle.h"
#include "storage/storageerror.h"

#include <algorithm>
#include <memory>

namespace folio {

namespace {

FolderKind kindOfColumn(sqlite3_stmt *statement, int column)
{
    const auto *attr = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    if (attr && attr[0] == 'R' && attr[1] == '\0')
        return FolderKind::Root;
    if (attr && attr[0] == 'D' && attr[1] == '\0')
        return FolderKind::Sub;
    return FolderKind::Unreachable;
}

} // namespace

void FolderIndex::clear()
{
    m_nums.clear();
    m_parents.clear();
    m_kinds.clear();
    m_text.clear();
    m_nameAt.clear();
    m_nameLength.clear();
}

void FolderIndex::append(DirNum num, DirNum parent, FolderKind kind, const char *utf8, int bytes)
{
    m_nums.push_back(num);
    m_parents.push_back(parent);
    m_kinds.push_back(kind);
    m_nameAt.push_back(m_text.size());
    m_nameLength.push_back(bytes);
    m_text.append(utf8, bytes);
}

// The rows are read straight from SQLite, the names as the UTF-8 it keeps:
// at a hundred thousand folders the generic query layer's per-value work
// would be most of the load.
void FolderIndex::read(Database &db)
{
    const QString operation = QStringLiteral("read the folders");
    sqlite3 *handle = sqliteHandle(db.connection());
    if (!handle)
        throw StorageError(operation, QStringLiteral("the database is not open"));
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(handle, "SELECT DirNum, Parent, Attr, DirName FROM DirTable ORDER BY DirNum", -1, &raw,
                           nullptr)
        != SQLITE_OK)
        throw StorageError(operation, QString::fromUtf8(sqlite3_errmsg(handle)));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> statement(raw, &sqlite3_finalize);

    clear();
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(raw, 3));
        append(sqlite3_column_int64(raw, 0), sqlite3_column_int64(raw, 1), kindOfColumn(raw, 2), name ? name : "",
               sqlite3_column_bytes(raw, 3));
    }
    if (rc != SQLITE_DONE)
        throw StorageError(operation, QString::fromUtf8(sqlite3_errmsg(handle)));
    placeRowsRead();
}

void FolderIndex::assign(std::vector<Folder> rows)
{
    std::sort(rows.begin(), rows.end(), [](const Folder &a, const Folder &b) { return a.num < b.num; });
    clear();
    for (const Folder &row : rows) {
        const QByteArray name = row.name.toUtf8();
        append(row.num, row.parent, row.kind, name.constData(), int(name.size()));
    }
    placeRowsRead();
}

void FolderIndex::placeRowsRead()
{
    m_gone.assign(m_nums.size(), 0);
    m_keys.clear();
    m_keys.resize(m_nums.size());
    place();
}

int FolderIndex::slotOf(DirNum num) const
{
    const auto at = std::lower_bound(m_nums.begin(), m_nums.end(), num);
    if (at == m_nums.end() || *at != num)
        return NoSlot;
    const int slot = int(at - m_nums.begin());
    return m_gone[slot] ? NoSlot : slot;
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
        if (m_gone[slot] || m_kinds[slot] != FolderKind::Sub)
            continue;
        parentOf[slot] = slotOf(m_parents[slot]);
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
        if (!m_gone[slot] && m_kinds[slot] == FolderKind::Root)
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
            return c != 0 ? c < 0 : m_nums[a] < m_nums[b];
        });
        ordered = 1;
    }
    for (size_t i = 0; i < kids.size(); ++i)
        m_rows[kids[i]] = int(i);
}

bool FolderIndex::canAdd(DirNum num, DirNum parent) const
{
    return canAddUnder(parent) && (m_nums.empty() || num > m_nums.back());
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
    append(num, parent, parent == 0 ? FolderKind::Root : FolderKind::Sub, utf8.constData(), int(utf8.size()));
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
    m_nameAt[slot] = m_text.size();
    m_nameLength[slot] = int(utf8.size());
    m_text.append(utf8);
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
    m_nameLength[slot] = 0;
    m_keys[slot].reset();
}

void FolderIndex::move(int slot, DirNum newParent)
{
    m_parents[slot] = newParent;
    m_kinds[slot] = newParent == 0 ? FolderKind::Root : FolderKind::Sub;
    place();
}

void FolderIndex::reorder()
{
    std::fill(m_ordered.begin(), m_ordered.end(), 0);
}

} // namespace folio
