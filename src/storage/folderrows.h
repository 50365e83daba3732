#pragma once

#include "storage/types.h"

#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

namespace folio {

class Database;

// Every row of the folder table in ascending number, compact at a hundred
// thousand folders: the names lie one after the other as UTF-8 in one block,
// not in a hundred thousand small strings. A row is known by its position.
class FolderRows
{
public:
    // Reads the rows straight from SQLite, the names as the UTF-8 it keeps:
    // the generic query layer's per-value work would be most of the load.
    static FolderRows read(Database &db);

    // Room for `count` rows, so reading them allocates each array once.
    void reserve(size_t count);
    // Numbers must arrive in ascending order.
    void append(DirNum num, DirNum parent, FolderKind kind, std::string_view utf8Name);
    // The new name is appended to the block; the old bytes stay unused.
    void rename(int at, std::string_view utf8Name);
    void setPlace(int at, DirNum parent, FolderKind kind);

    int size() const { return int(m_nums.size()); }
    // The position of `num`, or -1.
    int find(DirNum num) const;
    DirNum num(int at) const { return m_nums[size_t(at)]; }
    // The stored Parent column (meaningless for top-level folders).
    DirNum parent(int at) const { return m_parents[size_t(at)]; }
    FolderKind kind(int at) const { return m_kinds[size_t(at)]; }
    QString name(int at) const
    {
        return QString::fromUtf8(m_text.constData() + m_nameAt[size_t(at)], m_nameLength[size_t(at)]);
    }

private:
    std::vector<DirNum> m_nums;
    std::vector<DirNum> m_parents;
    std::vector<FolderKind> m_kinds;
    QByteArray m_text;
    std::vector<qsizetype> m_nameAt;
    std::vector<int> m_nameLength;
};

} // namespace folio
