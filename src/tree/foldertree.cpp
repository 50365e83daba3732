#include "tree/foldertree.h"

#include "session/appstate.h"
#include "session/session.h"
#include "storage/folderstore.h"
#include "storage/storageerror.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/dragpayload.h"
#include "widgets/notices.h"
#include "widgets/statuspanel.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>

namespace folio {

FolderTree::FolderTree(AppContext &context, QWidget *parent)
    : QTreeView(parent)
    , m_context(context)
    , m_dragDrop(context, [this](DirNum moved, DirNum parent) { rebuildAfterMove(moved, parent); })
{
    setObjectName(QStringLiteral("TreeView1"));
    setToolTip(QStringLiteral("Document Folder Area"));
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setAnimated(false);
    // Labels are edited only through the rename and add commands.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    QIcon folderIcon;
    folderIcon.addPixmap(style()->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal);
    folderIcon.addPixmap(style()->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Selected);
    m_model.setFolderIcon(folderIcon);
    setModel(&m_model);

    // The selection, not the focus: a tree that merely receives the focus
    // gets a current node without selecting it.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_quietSelection)
            selectionHandling();
    });
    // A click on the node that is already selected reads its list again.
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (m_pressedSelected != 0 && dirNumOf(index) == m_pressedSelected)
            selectionHandling();
    });
    connect(&m_context.state, &AppState::folderSelected, this, &FolderTree::followFolder);
    connect(&m_context.state, &AppState::folderCreated, this,
            [this](DirNum parent, DirNum num, const QString &name) { addFolderNode(parent, num, name); });
    connect(&m_context.session, &Session::reopened, this, &FolderTree::reloadAfterReopen);
}

bool FolderTree::loadRootFolders()
{
    BusyScope busy(m_context.status);
    FolderIndex folders(MaxDepth);
    if (!m_context.notices.guard([&] { folders.assign(FolderRows::read(m_context.db)); }))
        return false;  // keep showing what was there

    m_pressedSelected = 0;
    m_model.resetFolders(std::move(folders));
    reselectCurrent();
    if (hiddenTooDeep() > 0)
        m_context.notices.failure(
            QStringLiteral("Some folders are nested more than %1 levels deep and are not shown.").arg(MaxDepth));
    if (unplaced() > 0)
        m_context.notices.failure(
            QStringLiteral("%1 folder(s) cannot be shown: their parent folder is missing or they lie inside each "
                           "other. They and their documents are kept in the database, and compaction and backups "
                           "keep them too.")
                .arg(unplaced()));
    return true;
}

// A folder moved by dragging: the tree is built again in name order from
// the index, without reading every row again.
void FolderTree::rebuildAfterMove(DirNum moved, DirNum parent)
{
    m_pressedSelected = 0;
    m_model.moveFolder(moved, parent);
    reselectCurrent();
}

void FolderTree::reselectCurrent()
{
    const QModelIndex current = indexForFolder(m_context.state.currentDirNum());
    if (!current.isValid())
        return;
    const QScopedValueRollback<bool> quiet(m_quietSelection, true);
    setCurrentIndex(current);
}

QString FolderTree::fullPath(const QModelIndex &index)
{
    QStringList names;
    for (QModelIndex at = index; at.isValid(); at = at.parent())
        names.prepend(at.data().toString());
    return names.join(QLatin1Char('/'));
}

void FolderTree::selectionHandling()
{
    m_context.state.selectFolder(selectedFolder());
}

void FolderTree::followFolder(DirNum num)
{
    const QModelIndex index = indexForFolder(num);
    if (!index.isValid()) {
        m_context.status.showCurrentFolder(QString());
        return;
    }
    if (!selectionModel()->isSelected(index) || currentIndex() != index) {
        const QScopedValueRollback<bool> quiet(m_quietSelection, true);
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            expand(up);
        setCurrentIndex(index);
        scrollTo(index);
    }
    m_context.status.showCurrentFolder(fullPath(index));
}

// The file under the tree was replaced: its folders are read anew and none
// is current (a number may now name another folder).
void FolderTree::reloadAfterReopen()
{
    {
        const QScopedValueRollback<bool> quiet(m_quietSelection, true);
        clearSelection();
    }
    loadRootFolders();
    m_context.status.showCurrentFolder(QString());
}

void FolderTree::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex under = indexAt(pos);
    m_dragDrop.press(event->button(), pixelsToTwips(pos), dirNumOf(under));
    // The pressed node is the selected one: a highlight left on another
    // node would look like a second selection.
    if (event->button() == Qt::LeftButton)
        setDropHighlight({});
    m_pressedSelected = under.isValid() && selectionModel()->isSelected(under) ? dirNumOf(under) : 0;
    if (event->button() != Qt::RightButton) {
        QTreeView::mousePressEvent(event);
        // A click where there is no folder, with none selected, says so.
        if (!under.isValid() && !selectionModel()->hasSelection())
            selectionHandling();
        return;
    }
    if (under.isValid())
        setCurrentIndex(under);
    if (m_folderMenu)
        m_folderMenu->popup(event->globalPosition().toPoint());
}

// Holding the left button does not sweep the selection over other folders:
// it may only start a drag of the folder pressed.
void FolderTree::mouseMoveEvent(QMouseEvent *event)
{
    if (!event->buttons().testFlag(Qt::LeftButton)) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    const DirNum num = m_dragDrop.folderToDrag(pixelsToTwips(event->position().toPoint()), event->buttons());
    if (num != 0)
        startFolderDrag(num);
}

void FolderTree::startFolderDrag(DirNum num)
{
    const QModelIndex index = indexForFolder(num);
    if (!index.isValid() || m_dragging)
        return;
    setCurrentIndex(index);
    auto *drag = new QDrag(this);
    drag->setMimeData(folderMimeData(m_dragDrop.base(), num));
    drag->setPixmap(dragPicture(style(), false));
    Q_EMIT dragStarting(drag->mimeData());
    m_dragging = true;
    drag->exec(Qt::MoveAction);
    m_dragging = false;
    // The release ended the drag, not a press of this view.
    setState(QAbstractItemView::NoState);
    drag->deleteLater();
}

bool FolderTree::carriesOurDrag(const QMimeData *data) const
{
    const QString base = m_dragDrop.base();
    return folderFromMimeData(data, base) || documentsFromMimeData(data, base);
}

void FolderTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (carriesOurDrag(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

// The folder under the pointer is highlighted; over empty space the
// highlight stays where it was.
void FolderTree::dragMoveEvent(QDragMoveEvent *event)
{
    if (!carriesOurDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && dirNumOf(under) != m_model.highlight())
        setDropHighlight(under);
    event->acceptProposedAction();
}

// A drag that leaves the tree no longer points at a folder.
void FolderTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropHighlight({});
    event->accept();
}

void FolderTree::dropEvent(QDropEvent *event)
{
    const QString base = m_dragDrop.base();
    const std::optional<DirNum> folder = folderFromMimeData(event->mimeData(), base);
    const std::optional<QList<DocNum>> docs = documentsFromMimeData(event->mimeData(), base);
    if (!folder && !docs) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The drag is over, whatever becomes of the drop.
    setDropHighlight({});
    if (m_dragDrop.dropTooSoon())
        return;
    const QModelIndex under = indexAt(event->position().toPoint());
    const DirNum target = dirNumOf(under);
    const QList<DirNum> lineage = lineageOf(under);
    // Both may rebuild the tree: `under` is not used afterwards.
    if (folder)
        m_dragDrop.dropFolder(*folder, target, lineage);
    else
        m_dragDrop.dropDocuments(*docs, target);
}

QList<DirNum> FolderTree::lineageOf(const QModelIndex &index)
{
    QList<DirNum> nums;
    for (QModelIndex at = index; at.isValid(); at = at.parent())
        nums.append(dirNumOf(at));
    return nums;
}

void FolderTree::setDropHighlight(const QModelIndex &index)
{
    m_model.setHighlight(dirNumOf(index), palette().highlight(), palette().highlightedText());
}

DirNum FolderTree::selectedFolder() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : dirNumOf(selected.first());
}

bool FolderTree::addFolderNode(DirNum parent, DirNum num, const QString &name)
{
    if (!m_model.addFolder(parent, num, name))
        return false;
    if (parent != 0)
        expand(indexForFolder(parent));
    return true;
}

void FolderTree::editFolderLabel(DirNum num)
{
    const QModelIndex index = indexForFolder(num);
    if (!index.isValid())
        return;
    m_editingFolder = num;
    scrollTo(index);
    edit(index);
}

void FolderTree::removeFolderNode(DirNum num)
{
    if (m_pressedSelected == num)
        m_pressedSelected = 0;
    // Removing the node is no choice of a folder; whoever removes it says
    // what becomes current.
    const QScopedValueRollback<bool> quiet(m_quietSelection, true);
    m_model.removeFolder(num);
}

// The label edit ended with Enter or by leaving the field: the handler
// decides what is stored and shown. Escape never arrives here, so the
// label keeps its text.
void FolderTree::commitData(QWidget *editor)
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line || !indexForFolder(m_editingFolder).isValid() || !m_labelEditHandler)
        return;
    const std::optional<QString> shown = m_labelEditHandler(m_editingFolder, line->text());
    if (!shown)
        return;
    m_model.renameFolder(m_editingFolder, *shown);
    // The path in panel 3 names the current folder as it is now called.
    const QModelIndex current = indexForFolder(m_context.state.currentDirNum());
    if (current.isValid())
        m_context.status.showCurrentFolder(fullPath(current));
}

} // namespace folio
