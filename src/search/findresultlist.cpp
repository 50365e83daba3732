#include "search/findresultlist.h"

#include "storage/documentstore.h"
#include "widgets/displaytext.h"
#include "widgets/listrowitem.h"
#include "widgets/twips.h"

#include <QHeaderView>
#include <QStyle>

namespace folio {

namespace {

constexpr int KindRole = Qt::UserRole;
constexpr int NumberRole = ListRowItem::NumberRole;
constexpr int DateKeyRole = ListRowItem::DateKeyRole;
static_assert(FindResultList::NumberColumn == ListRowItem::NumberColumn
              && FindResultList::TitleColumn == ListRowItem::TitleColumn
              && FindResultList::DateColumn == ListRowItem::DateColumn);

} // namespace

FindResultList::FindResultList(QWidget *parent)
    : QTreeWidget(parent)
    , m_documentIcon(style()->standardIcon(QStyle::SP_FileIcon))
    , m_folderIcon(style()->standardIcon(QStyle::SP_DirIcon))
{
    setObjectName(QStringLiteral("ListView1"));
    setToolTip(QStringLiteral("Matched Folder/Document"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnCount(4);
    setHeaderLabels({QStringLiteral("T"), QStringLiteral("No."), QStringLiteral("Folder/Document Title"),
                     QStringLiteral("Date/Time")});
    const int widths[4] = {617, 1411, 5292, 2540};
    for (int i = 0; i < 4; ++i)
        setColumnWidth(i, twips(widths[i]));
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &FindResultList::sortByColumn);
}

void FindResultList::addDocuments(const QList<FoundDocument> &documents)
{
    QList<QTreeWidgetItem *> rows;
    rows.reserve(documents.size());
    for (const FoundDocument &d : documents) {
        auto *row = new ListRowItem(QStringList{QString(), documentNumberText(d.num), displayTitle(d.title), d.changed});
        row->setIcon(TypeColumn, m_documentIcon);
        row->setData(0, KindRole, int(RowKind::Document));
        row->setData(0, NumberRole, d.num);
        row->setData(0, DateKeyRole, changeDateSortKey(d.changed));
        rows.append(row);
    }
    addRows(std::move(rows));
}

void FindResultList::addFolders(const QList<Folder> &folders)
{
    QList<QTreeWidgetItem *> rows;
    rows.reserve(folders.size());
    for (const Folder &f : folders) {
        auto *row = new ListRowItem(QStringList{QString(), QString::number(f.num), displayTitle(f.name), QString()});
        row->setIcon(TypeColumn, m_folderIcon);
        row->setData(0, KindRole, int(RowKind::Folder));
        row->setData(0, NumberRole, f.num);
        row->setData(0, DateKeyRole, qint64(-1));
        rows.append(row);
    }
    addRows(std::move(rows));
}

void FindResultList::addRows(QList<QTreeWidgetItem *> rows)
{
    addTopLevelItems(rows);
    if (m_sorted)
        sortItems(m_sortKey, m_sortOrder);
}

FindResultList::RowKind FindResultList::kindOf(const QTreeWidgetItem *item)
{
    return RowKind(item->data(0, KindRole).toInt());
}

qint64 FindResultList::numberOf(const QTreeWidgetItem *item)
{
    return item->data(0, NumberRole).toLongLong();
}

void FindResultList::sortByColumn(int column)
{
    if (m_sortKey == column)
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        m_sortKey = column;
    m_sorted = true;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(m_sortKey, m_sortOrder);
    sortItems(m_sortKey, m_sortOrder);
}

} // namespace folio
