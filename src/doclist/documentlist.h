#pragma once

#include "storage/types.h"

#include <QTreeWidget>

class QMenu;

namespace folio {

struct AppContext;

// The document list (upper right pane): the documents of the current
// folder in report view. Sub-item 1 holds the zero-filled number, which is
// what ties an entry to its row.
class DocumentList : public QTreeWidget
{
    Q_OBJECT
public:
    enum Column { IconColumn = 0, NumberColumn = 1, TitleColumn = 2, DateColumn = 3 };

    DocumentList(AppContext &context, QWidget *parent = nullptr);

    // Lists the documents of `folder` (and makes it the current folder).
    // Keeps the chosen sort. Returns false when the list could not be read.
    bool loadDocumentList(DirNum folder);

    // The zero-filled number text: at least six digits, longer numbers whole.
    static QString numberText(DocNum num);
    static DocNum docNumOf(const QTreeWidgetItem *item);
    // Numbers of every selected entry, in list order.
    QList<DocNum> selectedDocNums() const;
    // The entry the user last opened or moved to, when it is selected.
    QTreeWidgetItem *selectedEntry() const;
    // Makes the entry of `num` the current, selected one without opening it
    // (the pane already shows it). Returns false when it is not listed.
    bool selectDocument(DocNum num);
    // Panel 4 names the document the pane shows.
    void showCurrentDocument(DocNum num, const QString &title);
    void sortByColumn(int column);
    void setDocumentMenu(QMenu *menu) { m_documentMenu = menu; }

Q_SIGNALS:
    // The user opened an entry; the document pane should show it.
    void documentOpened(folio::DocNum num);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void followSelection();
    void openEntry(QTreeWidgetItem *item);

    AppContext &m_context;
    QMenu *m_documentMenu = nullptr;
    QIcon m_documentIcon;
    QTreeWidgetItem *m_pressedCurrent = nullptr;
    QTreeWidgetItem *m_openedEntry = nullptr;   // the entry opened last, until the next refill
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace folio
