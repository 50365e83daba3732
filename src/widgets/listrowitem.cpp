#include "widgets/listrowitem.h"

#include "storage/nameorder.h"

namespace folio {

bool ListRowItem::operator<(const QTreeWidgetItem &other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    switch (column) {
    case NumberColumn:
        return data(0, NumberRole).toLongLong() < other.data(0, NumberRole).toLongLong();
    case TitleColumn:
        return compareNames(text(column), other.text(column)) < 0;
    case DateColumn: {
        const qint64 a = data(0, DateKeyRole).toLongLong();
        const qint64 b = other.data(0, DateKeyRole).toLongLong();
        return a != b ? a < b : text(column) < other.text(column);
    }
    default:
        return text(column) < other.text(column);
    }
}

} // namespace folio
