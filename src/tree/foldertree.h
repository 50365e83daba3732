#pragma once

#include "storage/types.h"
#include "tree/folderdragdrop.h"
#include "tree/foldertreemodel.h"

#include <QTreeView>
#include <functional>
#include <optional>

class QMenu;
class QMimeData;

namespace folio {

struct AppContext;

// The folder tree (left pane): a view over the folders read into an index
// (FolderTreeModel), which makes a row only when it is shown, so a hundred
// thousand folders open as fast as a hundred. Each row carries its folder
// number (DirNumRole). Selecting a row makes it the current folder
// through the shared state, which lists its documents; the tree in turn
// follows the state's folder selection and shows the path in panel 3.
// Folders are dragged within the tree and documents dropped onto it; the
// rules and the moves live in FolderDragDrop.
class FolderTree : public QTreeView
{
    Q_OBJECT
public:
    static constexpr int DirNumRole = FolderTreeModel::DirNumRole;
    // Deeper folders are not shown: the tree control and the eye both give
    // up long before, and a damaged file must not exhaust the stack.
    static constexpr int MaxDepth = 250;

    // Stores the name typed into a folder's label; returns the label to
    // show, or nothing to keep the one shown before the edit.
    using LabelEditHandler = std::function<std::optional<QString>(DirNum folder, const QString &typed)>;

    FolderTree(AppContext &context, QWidget *parent = nullptr);

    AppContext &context() { return m_context; }
    FolderDragDrop &dragDrop() { return m_dragDrop; }

    // Reads the folders again and rebuilds the tree. The current folder, the status
    // panel and the document list keep their contents; the current folder's
    // node is selected again when it still exists. Returns false when the
    // folders could not be read (the user has been told).
    bool loadRootFolders();

    FolderTreeModel &folderModel() { return m_model; }
    static DirNum dirNumOf(const QModelIndex &index) { return FolderTreeModel::dirNumOf(index); }
    // The folder's row (invalid when it is not shown); its ancestors stay as they are.
    QModelIndex indexForFolder(DirNum num) const { return m_model.indexOfFolder(num); }
    // "/"-separated names from the top-level folder down to `index`.
    static QString fullPath(const QModelIndex &index);
    // Makes the tree's selected node the current folder (none: 0).
    void selectionHandling();
    void setFolderMenu(QMenu *menu) { m_folderMenu = menu; }
    int hiddenTooDeep() const { return m_model.folders().hiddenTooDeep(); }
    // Folders whose parent is missing or that lie in a circle of parents.
    int unplaced() const { return m_model.folders().unplaced(); }

    // The folder of the selected node, 0 when none is selected.
    DirNum selectedFolder() const;
    // Whether a new folder under `parent` (0: the top level) would get a
    // node: the parent has one and lies above the depth limit.
    bool canAddFolderUnder(DirNum parent) const { return m_model.folders().canAddUnder(parent); }
    // Appends a node for a new folder after the others at the top level
    // (parent 0) or under the parent's node. The tree is not sorted again.
    // Returns false when the parent has no node.
    bool addFolderNode(DirNum parent, DirNum num, const QString &name);
    // Opens the in-place edit of the folder's label.
    void editFolderLabel(DirNum num);
    void removeFolderNode(DirNum num);
    void setLabelEditHandler(LabelEditHandler handler) { m_labelEditHandler = std::move(handler); }
    // The folder a drag is over (highlighted), 0 when none.
    DirNum dropHighlightFolder() const { return m_model.highlight(); }

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
    // Shows the current folder's row selected again after the model changed.
    void reselectCurrent();
    // Follows the state: selects the folder's node (its ancestors expanded)
    // and shows its path, or NULL for none.
    void followFolder(DirNum num);
    void reloadAfterReopen();
    void rebuildAfterMove(DirNum moved, DirNum parent);
    void setDropHighlight(const QModelIndex &index);
    bool carriesOurDrag(const QMimeData *data) const;
    void startFolderDrag(DirNum num);
    // The folder of `index` and every folder above it.
    static QList<DirNum> lineageOf(const QModelIndex &index);

    AppContext &m_context;
    FolderTreeModel m_model;
    FolderDragDrop m_dragDrop;
    LabelEditHandler m_labelEditHandler;
    DirNum m_editingFolder = 0;
    bool m_dragging = false;
    // Set while the tree itself changes the selection: that is no choice
    // of a folder by the user.
    bool m_quietSelection = false;
    QMenu *m_folderMenu = nullptr;
    // The folder pressed when it was already selected: its click re-reads the list.
    DirNum m_pressedSelected = 0;
};

} // namespace folio
