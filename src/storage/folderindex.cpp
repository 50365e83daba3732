#include "storage/folderindex.h"

#include "storage/database.h"
#include "storage/nameorder.h"
#include "storage/sqlitehandle.h"
#include "storage/storageerror.h"

#include <algorithm>
#include <memory>

namespace folio {

namespace {

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(statement, column));
    const int bytes = sqlite3_column_bytes16(statement, column);
    return text ? QString::fromUtf16(text, bytes / 2) : QString();
}

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

// The rows are read straight from SQLite: at a hundred thousand folders the
// generic query layer's per-value overhead would be most of the load.
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

    std::vector<Folder> rows;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        rows.push_back(Folder{sqlite3_column_int64(raw, 0), columnText(raw, 3), kindOfColumn(raw, 2),
                              sqlite3_column_int64(raw, 1)});
    if (rc != SQLITE_DONE)
        throw StorageError(operation, QString::fromUtf8(sqlite3_errmsg(handle)));
    assign(std::move(rows));
}

void FolderIndex::assign(std::vector<Folder> rows)
{
    if (!std::is_sorted(rows.begin(), rows.end(), [](const Folder &a, const Folder &b) { return a.num < b.num; }))
        std::sort(rows.begin(), rows.end(), [](const Folder &a, const Folder &b) { return a.num < b.num; });
    const size_t n = rows.size();
    m_nums.resize(n);
    m_parents.resize(n);
    m_kinds.resize(n);
    m_names.resize(n);
    for (size_t i = 0; i < n; ++i) {
        m_nums[i] = rows[i].num;
        m_parents[i] = rows[i].parent;
        m_kinds[i] = rows[i].kind;
        m_names[i] = std::move(rows[i].name);
    }
    m_gone.assign(n, 0);
    m_keys.clear();
    m_keys.resize(n);
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

    // Every sub-folder is listed under its parent, in number order for now.
    std::vector<std::vector<int>> below(n);
    for (int slot = 0; slot < n; ++slot) {
        if (m_gone[slot])
            continue;
        if (m_kinds[slot] == FolderKind::Root) {
            m_roots.push_back(slot);
        } else if (m_kinds[slot] == FolderKind::Sub) {
            const int parent = slotOf(m_parents[slot]);
            if (parent != NoSlot)
                below[parent].push_back(slot);
        }
    }

    int placed = 0;
    std::vector<int> level = m_roots;
    for (int slot : level)
        m_depths[slot] = 1;
    placed += int(level.size());
    for (int depth = 1; !level.empty(); ++depth) {
        std::vector<int> next;
        for (int parent : level) {
            const bool parentShown = m_depths[parent] > 0;
            for (int child : below[parent]) {
                if (m_depths[child] != 0)
                    continue;
                ++placed;
                if (parentShown && depth < m_maxDepth) {
                    m_depths[child] = depth + 1;
                    m_parentSlots[child] = parent;
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
                m_keys[kid] = nameSortKey(m_names[kid]);
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
    const int parentSlot = parent == 0 ? NoSlot : slotOf(parent);
    if (parent != 0 && (!isShown(parentSlot) || m_depths[parentSlot] >= m_maxDepth))
        return false;
    return m_nums.empty() || num > m_nums.back();
}

int FolderIndex::add(DirNum num, const QString &name, DirNum parent)
{
    if (!canAdd(num, parent))
        return NoSlot;
    const int parentSlot = parent == 0 ? NoSlot : slotOf(parent);
    orderChildren(parentSlot);
    const int slot = slotCount();
    m_nums.push_back(num);
    m_parents.push_back(parent);
    m_kinds.push_back(parent == 0 ? FolderKind::Root : FolderKind::Sub);
    m_names.push_back(name);
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
    m_names[slot] = name;
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
    m_names[slot] = QString();
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
