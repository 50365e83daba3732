#pragma once

#include "storage/types.h"

#include <QTreeWidget>

class QMenu;

namespace folio {

struct AppContext;

// The folder tree (left pane). Built whole from the folder table; each node
// keeps its folder number. Selecting a node makes it the current folder
// through the shared state, which lists its documents; the tree in turn
// follows the state's folder selection and shows the path in panel 3.
class FolderTree : public QTreeWidget
{
    Q_OBJECT
public:
    static constexpr int DirNumRole = Qt::UserRole;
    // Deeper folders are not shown: the tree control and the eye both give
    // up long before, and a damaged file must not exhaust the stack.
    static constexpr int MaxDepth = 250;

    FolderTree(AppContext &context, QWidget *parent = nullptr);

    // Rebuilds the tree from the database. The current folder, the status
    // panel and the document list keep their contents; the current folder's
    // node is selected again when it still exists. Returns false when the
    // folders could not be read (the user has been told).
    bool loadRootFolders();

    static DirNum dirNumOf(const QTreeWidgetItem *item);
    QTreeWidgetItem *itemForFolder(DirNum num) const;
    // "/"-separated names from the top-level folder down to `item`.
    static QString fullPath(const QTreeWidgetItem *item);
    // Makes the tree's selected node the current folder (none: 0).
    void selectionHandling();
    void setFolderMenu(QMenu *menu) { m_folderMenu = menu; }
    int hiddenTooDeep() const { return m_hiddenTooDeep; }
    // Folders whose parent is missing or that lie in a circle of parents.
    int unplaced() const { return m_unplaced; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QTreeWidgetItem *makeItem(DirNum num, const QString &name) const;
    // Follows the state: selects the folder's node (its ancestors expanded)
    // and shows its path, or NULL for none.
    void followFolder(DirNum num);
    void reloadAfterReopen();

    AppContext &m_context;
    QMenu *m_folderMenu = nullptr;
    QIcon m_folderIcon;
    int m_hiddenTooDeep = 0;
    int m_unplaced = 0;
    // The node pressed when it was already selected: its click re-reads the list.
    QTreeWidgetItem *m_pressedSelected = nullptr;
};

} // namespace folio
