#include "storage/folderrows.h"

#include "storage/database.h"
#include "storage/rawstatement.h"

#include <algorithm>

namespace folio {

namespace {

FolderKind kindOfAttr(std::string_view attr)
{
    if (attr == "R")
        return FolderKind::Root;
    if (attr == "D")
        return FolderKind::Sub;
    return FolderKind::Unreachable;
}

} // namespace

FolderRows FolderRows::read(Database &db)
{
    FolderRows rows;
    {
        // Sized once: grown by doubling, the arrays of 100,000 folders
        // briefly held their old and new copies at once, a megabyte and more
        // of the start-up's peak memory. The count reads the small index.
        RawStatement count(db.connection(), QStringLiteral("read the folders"), "SELECT count(*) FROM DirTable");
        if (count.next())
            rows.reserve(size_t(count.number(0)));
    }
    RawStatement q(db.connection(), QStringLiteral("read the folders"),
                   "SELECT DirNum, Parent, Attr, DirName FROM DirTable ORDER BY DirNum");
    while (q.next())
        rows.append(q.number(0), q.number(1), kindOfAttr(q.bytes(2)), q.bytes(3));
    return rows;
}

void FolderRows::reserve(size_t count)
{
    m_nums.reserve(count);
    m_parents.reserve(count);
    m_kinds.reserve(count);
    m_nameAt.reserve(count);
    m_nameLength.reserve(count);
}

void FolderRows::append(DirNum num, DirNum parent, FolderKind kind, std::string_view utf8Name)
{
    m_nums.push_back(num);
    m_parents.push_back(parent);
    m_kinds.push_back(kind);
    m_nameAt.push_back(m_text.size());
    m_nameLength.push_back(int(utf8Name.size()));
    m_text.append(utf8Name.data(), qsizetype(utf8Name.size()));
}

void FolderRows::rename(int at, std::string_view utf8Name)
{
    m_nameAt[size_t(at)] = m_text.size();
    m_nameLength[size_t(at)] = int(utf8Name.size());
    m_text.append(utf8Name.data(), qsizetype(utf8Name.size()));
}

void FolderRows::setPlace(int at, DirNum parent, FolderKind kind)
{
    m_parents[size_t(at)] = parent;
    m_kinds[size_t(at)] = kind;
}

int FolderRows::find(DirNum num) const
{
    const auto at = std::lower_bound(m_nums.begin(), m_nums.end(), num);
    return at == m_nums.end() || *at != num ? -1 : int(at - m_nums.begin());
}

} // namespace folio
