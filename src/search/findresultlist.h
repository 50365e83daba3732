#pragma once

#include "storage/documentsearch.h"
#include "storage/types.h"

#include <QIcon>
#include <QTreeWidget>

namespace folio {

// The find dialog's result list (ListView1): document rows and folder rows
// with a picture that tells them apart, the number ("No."), the title or
// folder name and the change date. A click on a header sorts by that column;
// a second click on the same header reverses the order, and the order stays
// in force for the rows of later searches.
class FindResultList : public QTreeWidget
{
    Q_OBJECT
public:
    enum Column { TypeColumn = 0, NumberColumn = 1, TitleColumn = 2, DateColumn = 3 };
    enum class RowKind { Folder = 3, Document = 4 };   // the picture numbers of the design

    explicit FindResultList(QWidget *parent = nullptr);

    void addDocuments(const QList<FoundDocument> &documents);
    void addFolders(const QList<Folder> &folders);

    static RowKind kindOf(const QTreeWidgetItem *item);
    static qint64 numberOf(const QTreeWidgetItem *item);
    bool isSorted() const { return m_sorted; }

    // A click on a column heading sorts by that column; another click on
    // the same heading reverses the order.
    void sortByColumn(int column);

private:
    void addRows(QList<QTreeWidgetItem *> rows);

    QIcon m_documentIcon;
    QIcon m_folderIcon;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace folio
