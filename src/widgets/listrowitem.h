#pragma once

#include <QTreeWidgetItem>

namespace folio {

// A row of the document list or of the find results. Both show a number, a
// title and a change date in the same columns and sort them the same way:
// numbers as numbers, titles the way names are ordered everywhere, dates as
// moments in time (equal moments by their text); other columns by text.
class ListRowItem : public QTreeWidgetItem
{
public:
    static constexpr int NumberColumn = 1;
    static constexpr int TitleColumn = 2;
    static constexpr int DateColumn = 3;
    // Kept in column 0: the row's number and its date as a sortable key.
    static constexpr int NumberRole = Qt::UserRole + 1;
    static constexpr int DateKeyRole = Qt::UserRole + 2;

    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem &other) const override;
};

} // namespace folio
