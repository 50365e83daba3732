#include "tree/foldertree.h"

#include "shell/appcontext.h"
#include "shell/appstate.h"
#include "shell/busyscope.h"
#include "shell/dragpayload.h"
#include "shell/notices.h"
#include "shell/session.h"
#include "shell/statuspanel.h"
#include "storage/folderstore.h"
#include "storage/storageerror.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

namespace folio {

FolderTree::FolderTree(AppContext &context, QWidget *parent)
    : QTreeWidget(parent)
    , m_context(context)
    , m_dragDrop(context, [this] { loadRootFolders(); })
{
    setObjectName(QStringLiteral("TreeView1"));
    setToolTip(QStringLiteral("Document Folder Area"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setAnimated(false);
    // Labels are edited only through the rename and add commands.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    m_folderIcon.addPixmap(style()->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal);
    m_folderIcon.addPixmap(style()->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Selected);

    // The selection, not the focus: a tree that merely receives the focus
    // gets a current node without selecting it.
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { selectionHandling(); });
    // A click on the node that is already selected reads its list again.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (item == m_pressedSelected)
            selectionHandling();
    });
    connect(&m_context.state, &AppState::folderSelected, this, &FolderTree::followFolder);
    connect(&m_context.session, &Session::reopened, this, &FolderTree::reloadAfterReopen);
}

DirNum FolderTree::dirNumOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, DirNumRole).toLongLong() : 0;
}

QTreeWidgetItem *FolderTree::makeItem(DirNum num, const QString &name) const
{
    auto *item = new QTreeWidgetItem(QStringList(name));
    item->setData(0, DirNumRole, num);
    item->setIcon(0, m_folderIcon);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

bool FolderTree::loadRootFolders()
{
    BusyScope busy(m_context.status);
    QList<Folder> folders;
    if (!m_context.notices.guard([&] { folders = m_context.folders.allFolders(); }))
        return false;  // keep showing what was there

    // Children of every folder, in the name order the query returned.
    QHash<DirNum, QList<int>> children;
    QList<int> roots;
    for (int i = 0; i < folders.size(); ++i) {
        const Folder &f = folders.at(i);
        if (f.kind == FolderKind::Root)
            roots.append(i);
        else if (f.kind == FolderKind::Sub)
            children[f.parent].append(i);
    }

    // Build the whole tree off-screen, without recursion: a stack of
    // (item, folder, depth). Each folder is placed once, so a damaged file
    // with a cycle of parents cannot loop.
    struct Pending { QTreeWidgetItem *item; DirNum num; int depth; };  // item null: hidden
    QList<QTreeWidgetItem *> topItems;
    QList<Pending> stack;
    QSet<DirNum> placed;
    m_hiddenTooDeep = 0;
    for (int index : roots) {
        const Folder &f = folders.at(index);
        if (placed.contains(f.num))
            continue;
        placed.insert(f.num);
        topItems.append(makeItem(f.num, f.name));
        stack.append({topItems.last(), f.num, 1});
    }
    while (!stack.isEmpty()) {
        const Pending p = stack.takeLast();
        const QList<int> kids = children.value(p.num);
        for (int index : kids) {
            const Folder &f = folders.at(index);
            if (placed.contains(f.num))
                continue;
            placed.insert(f.num);
            if (!p.item) {
                stack.append({nullptr, f.num, p.depth + 1});
                continue;
            }
            // Too deep: counted with everything below it, not shown.
            QTreeWidgetItem *child = p.depth >= MaxDepth ? nullptr : makeItem(f.num, f.name);
            if (child)
                p.item->addChild(child);
            else
                ++m_hiddenTooDeep;
            stack.append({child, f.num, p.depth + 1});
        }
    }
    // What is left hangs under no top-level folder: its parent is missing,
    // or it sits in a circle of folders inside each other.
    m_unplaced = int(folders.size() - placed.size());

    const QSignalBlocker blocker(this);
    m_pressedSelected = nullptr;
    m_dropHighlight = nullptr;
    clear();
    addTopLevelItems(topItems);
    if (QTreeWidgetItem *current = itemForFolder(m_context.state.currentDirNum()))
        setCurrentItem(current);
    if (m_hiddenTooDeep > 0)
        m_context.notices.failure(
            QStringLiteral("Some folders are nested more than %1 levels deep and are not shown.").arg(MaxDepth));
    if (m_unplaced > 0)
        m_context.notices.failure(
            QStringLiteral("%1 folder(s) cannot be shown: their parent folder is missing or they lie inside each "
                           "other. They and their documents are kept in the database, and compaction and backups "
                           "keep them too.")
                .arg(m_unplaced));
    return true;
}

QTreeWidgetItem *FolderTree::itemForFolder(DirNum num) const
{
    if (num == 0)
        return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<FolderTree *>(this)); *it; ++it)
        if (dirNumOf(*it) == num)
            return *it;
    return nullptr;
}

QString FolderTree::fullPath(const QTreeWidgetItem *item)
{
    QStringList names;
    for (; item; item = item->parent())
        names.prepend(item->text(0));
    return names.join(QLatin1Char('/'));
}

void FolderTree::selectionHandling()
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    m_context.state.selectFolder(selected.isEmpty() ? 0 : dirNumOf(selected.first()));
}

void FolderTree::followFolder(DirNum num)
{
    QTreeWidgetItem *item = itemForFolder(num);
    if (!item) {
        m_context.status.showCurrentFolder(QString());
        return;
    }
    if (!item->isSelected() || currentItem() != item) {
        const QSignalBlocker blocker(this);
        for (QTreeWidgetItem *up = item->parent(); up; up = up->parent())
            up->setExpanded(true);
        setCurrentItem(item);
        scrollToItem(item);
    }
    m_context.status.showCurrentFolder(fullPath(item));
}

// The file under the tree was replaced: its folders are read anew and none
// is current (a number may now name another folder).
void FolderTree::reloadAfterReopen()
{
    {
        const QSignalBlocker blocker(this);
        clearSelection();
    }
    loadRootFolders();
    m_context.status.showCurrentFolder(QString());
}

void FolderTree::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem *under = itemAt(pos);
    m_dragDrop.press(event->button(), pixelsToTwips(pos), dirNumOf(under));
    // The pressed node is the selected one: a highlight left on another
    // node would look like a second selection.
    if (event->button() == Qt::LeftButton)
        setDropHighlight(nullptr);
    m_pressedSelected = under && under->isSelected() ? under : nullptr;
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        // A click where there is no folder, with none selected, says so.
        if (!under && selectedItems().isEmpty())
            selectionHandling();
        return;
    }
    if (under)
        setCurrentItem(under);
    if (m_folderMenu)
        m_folderMenu->popup(event->globalPosition().toPoint());
}

// Holding the left button does not sweep the selection over other folders:
// it may only start a drag of the folder pressed.
void FolderTree::mouseMoveEvent(QMouseEvent *event)
{
    if (!event->buttons().testFlag(Qt::LeftButton)) {
        QTreeWidget::mouseMoveEvent(event);
        return;
    }
    const DirNum num = m_dragDrop.folderToDrag(pixelsToTwips(event->position().toPoint()), event->buttons());
    if (num != 0)
        startFolderDrag(num);
}

void FolderTree::startFolderDrag(DirNum num)
{
    QTreeWidgetItem *item = itemForFolder(num);
    if (!item || m_dragging)
        return;
    setCurrentItem(item);
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
    QTreeWidgetItem *under = itemAt(event->position().toPoint());
    if (under && under != m_dropHighlight)
        setDropHighlight(under);
    event->acceptProposedAction();
}

// A drag that leaves the tree no longer points at a folder.
void FolderTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropHighlight(nullptr);
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
    setDropHighlight(nullptr);
    if (m_dragDrop.dropTooSoon())
        return;
    const QTreeWidgetItem *under = itemAt(event->position().toPoint());
    // Both may rebuild the tree: `under` is not used afterwards.
    if (folder)
        m_dragDrop.dropFolder(*folder, dirNumOf(under), lineageOf(under));
    else
        m_dragDrop.dropDocuments(*docs, dirNumOf(under));
}

QList<DirNum> FolderTree::lineageOf(const QTreeWidgetItem *item)
{
    QList<DirNum> nums;
    for (; item; item = item->parent())
        nums.append(dirNumOf(item));
    return nums;
}

void FolderTree::setDropHighlight(QTreeWidgetItem *item)
{
    if (m_dropHighlight) {
        m_dropHighlight->setData(0, Qt::BackgroundRole, QVariant());
        m_dropHighlight->setData(0, Qt::ForegroundRole, QVariant());
    }
    m_dropHighlight = item;
    if (item) {
        item->setBackground(0, palette().highlight());
        item->setForeground(0, palette().highlightedText());
    }
}

DirNum FolderTree::selectedFolder() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? 0 : dirNumOf(selected.first());
}

bool FolderTree::addFolderNode(DirNum parent, DirNum num, const QString &name)
{
    QTreeWidgetItem *item = makeItem(num, name);
    if (parent == 0) {
        addTopLevelItem(item);
        return true;
    }
    QTreeWidgetItem *above = itemForFolder(parent);
    if (!above) {
        delete item;
        return false;
    }
    above->addChild(item);
    above->setExpanded(true);
    return true;
}

void FolderTree::editFolderLabel(DirNum num)
{
    QTreeWidgetItem *item = itemForFolder(num);
    if (!item)
        return;
    m_editingFolder = num;
    scrollToItem(item);
    editItem(item);
}

void FolderTree::removeFolderNode(DirNum num)
{
    QTreeWidgetItem *item = itemForFolder(num);
    if (!item)
        return;
    if (item == m_dropHighlight)
        m_dropHighlight = nullptr;
    if (item == m_pressedSelected)
        m_pressedSelected = nullptr;
    // Removing the node is no choice of a folder; whoever removes it says
    // what becomes current.
    const QSignalBlocker blocker(this);
    delete item;
}

// The label edit ended with Enter or by leaving the field: the handler
// decides what is stored and shown. Escape never arrives here, so the
// label keeps its text.
void FolderTree::commitData(QWidget *editor)
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    QTreeWidgetItem *item = itemForFolder(m_editingFolder);
    if (!line || !item || !m_labelEditHandler)
        return;
    const std::optional<QString> shown = m_labelEditHandler(m_editingFolder, line->text());
    if (!shown)
        return;
    item->setText(0, *shown);
    // The path in panel 3 names the current folder as it is now called.
    if (QTreeWidgetItem *current = itemForFolder(m_context.state.currentDirNum()))
        m_context.status.showCurrentFolder(fullPath(current));
}

} // namespace folio
