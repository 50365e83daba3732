#pragma once

#include "storage/types.h"
#include "tree/folderdragdrop.h"

#include <QTreeWidget>
#include <functional>
#include <optional>

class QMenu;
class QMimeData;

namespace folio {

struct AppContext;

// The folder tree (left pane). Built whole from the folder table; each node
// keeps its folder number. Selecting a node makes it the current folder
// through the shared state, which lists its documents; the tree in turn
// follows the state's folder selection and shows the path in panel 3.
// Folders are dragged within the tree and documents dropped onto it; the
// rules and the moves live in FolderDragDrop.
class FolderTree : public QTreeWidget
{
    Q_OBJECT
public:
    static constexpr int DirNumRole = Qt::UserRole;
    // Deeper folders are not shown: the tree control and the eye both give
    // up long before, and a damaged file must not exhaust the stack.
    static constexpr int MaxDepth = 250;

    // Stores the name typed into a folder's label; returns the label to
    // show, or nothing to keep the one shown before the edit.
    using LabelEditHandler = std::function<std::optional<QString>(DirNum folder, const QString &typed)>;

    FolderTree(AppContext &context, QWidget *parent = nullptr);

    AppContext &context() { return m_context; }
    FolderDragDrop &dragDrop() { return m_dragDrop; }

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

    // The folder of the selected node, 0 when none is selected.
    DirNum selectedFolder() const;
    // Appends a node for a new folder after the others at the top level
    // (parent 0) or under the parent's node. The tree is not sorted again.
    // Returns false when the parent has no node.
    bool addFolderNode(DirNum parent, DirNum num, const QString &name);
    // Opens the in-place edit of the folder's label.
    void editFolderLabel(DirNum num);
    void removeFolderNode(DirNum num);
    void setLabelEditHandler(LabelEditHandler handler) { m_labelEditHandler = std::move(handler); }
    // The folder a drag is over (highlighted), 0 when none.
    DirNum dropHighlightFolder() const { return dirNumOf(m_dropHighlight); }

Q_SIGNALS:
    // A drag leaves the tree carrying `data` (documents or a folder).
    void dragStarting(const QMimeData *data);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void commitData(QWidget *editor) override;

private:
    QTreeWidgetItem *makeItem(DirNum num, const QString &name) const;
    // Follows the state: selects the folder's node (its ancestors expanded)
    // and shows its path, or NULL for none.
    void followFolder(DirNum num);
    void reloadAfterReopen();
    void setDropHighlight(QTreeWidgetItem *item);
    bool carriesOurDrag(const QMimeData *data) const;
    void startFolderDrag(DirNum num);
    // The folder of `item` and every folder above it.
    static QList<DirNum> lineageOf(const QTreeWidgetItem *item);

    AppContext &m_context;
    FolderDragDrop m_dragDrop;
    LabelEditHandler m_labelEditHandler;
    DirNum m_editingFolder = 0;
    QTreeWidgetItem *m_dropHighlight = nullptr;
    bool m_dragging = false;
    QMenu *m_folderMenu = nullptr;
    QIcon m_folderIcon;
    int m_hiddenTooDeep = 0;
    int m_unplaced = 0;
    // The node pressed when it was already selected: its click re-reads the list.
    QTreeWidgetItem *m_pressedSelected = nullptr;
};

} // namespace folio
