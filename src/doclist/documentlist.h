#pragma once

#include "storage/types.h"

#include <QTreeWidget>

class QMenu;
class QMimeData;

namespace folio {

struct AppContext;

// The document list (upper right pane): the documents of the current
// folder in report view. Sub-item 1 holds the zero-filled number, which is
// what ties an entry to its row. It lists the folder the shared state
// selects, and opening an entry selects that document in the state.
class DocumentList : public QTreeWidget
{
    Q_OBJECT
public:
    enum Column { IconColumn = 0, NumberColumn = 1, TitleColumn = 2, DateColumn = 3 };

    DocumentList(AppContext &context, QWidget *parent = nullptr);

    // Lists the documents of `folder`. Keeps the chosen sort. Returns false
    // when the list could not be read.
    bool loadDocumentList(DirNum folder);
    // Editing ended: the current folder is listed again and the entry of
    // `num` (when not 0) is selected without opening it again.
    void showAfterEditing(DocNum num);

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
    void sortByColumn(int column);
    // Deletes the documents of every selected entry and removes their
    // entries; the others stay in their order. All in one transaction: when
    // it fails nothing is deleted, every entry stays, and a notice says
    // why. Nothing selected: nothing happens. The pane keeps showing a
    // deleted document until another one is opened.
    void deleteDocuments();
    void setDocumentMenu(QMenu *menu) { m_documentMenu = menu; }

Q_SIGNALS:
    // A drag of the selected documents begins, carrying `data`.
    void dragStarting(const QMimeData *data);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void followSelection();
    void openEntry(QTreeWidgetItem *item);
    void followFolder(DirNum num);
    void followDocument(DocNum num);
    void noteEntrySelection();
    void clearAfterReopen();
    void startDocumentDrag(Qt::MouseButtons held);

    AppContext &m_context;
    QMenu *m_documentMenu = nullptr;
    QIcon m_documentIcon;
    QTreeWidgetItem *m_pressedCurrent = nullptr;
    QTreeWidgetItem *m_openedEntry = nullptr;   // the entry opened last, until the next refill
    bool m_dragging = false;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace folio
