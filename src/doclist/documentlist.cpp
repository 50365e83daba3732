#include "doclist/documentlist.h"

#include "doclist/documentdrag.h"
#include "session/appstate.h"
#include "session/session.h"
#include "storage/database.h"
#include "storage/documentstore.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/displaytext.h"
#include "widgets/dragpayload.h"
#include "widgets/listrowitem.h"
#include "widgets/notices.h"
#include "widgets/twips.h"

#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>

namespace folio {

namespace {

constexpr int DocNumRole = ListRowItem::NumberRole;
constexpr int DateKeyRole = ListRowItem::DateKeyRole;
static_assert(DocumentList::NumberColumn == ListRowItem::NumberColumn && DocumentList::TitleColumn == ListRowItem::TitleColumn
              && DocumentList::DateColumn == ListRowItem::DateColumn);

} // namespace

DocumentList::DocumentList(AppContext &context, QWidget *parent)
    : QTreeWidget(parent)
    , m_context(context)
    , m_documentIcon(style()->standardIcon(QStyle::SP_FileIcon))
{
    setObjectName(QStringLiteral("ListView1"));
    setToolTip(QStringLiteral("Document List Area"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setColumnCount(4);
    setHeaderLabels({QStringLiteral("."), QStringLiteral("No."), QStringLiteral("Document Title"),
                     QStringLiteral("Date/Time")});
    const int widths[4] = {441, 1411, 5292, 2540};
    for (int i = 0; i < 4; ++i)
        setColumnWidth(i, twips(widths[i]));
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &DocumentList::sortByColumn);

    // A mouse press makes an entry current before it selects it, the
    // keyboard the other way round: either signal may be the last one.
    connect(this, &QTreeWidget::currentItemChanged, this, &DocumentList::followSelection);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &DocumentList::followSelection);
    // A click on the entry that is already open opens it again (the
    // stored text may have changed); any other click opens through the
    // change of the current entry.
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (item == m_pressedCurrent)
            openEntry(item);
    });
    connect(this, &QTreeWidget::itemSelectionChanged, this, &DocumentList::noteEntrySelection);
    connect(&m_context.state, &AppState::folderSelected, this, &DocumentList::followFolder);
    connect(&m_context.state, &AppState::documentSelected, this, &DocumentList::followDocument);
    connect(&m_context.state, &AppState::editModeChanged, this,
            [this](EditMode mode) { setEnabled(mode == EditMode::Browse); });
    connect(&m_context.session, &Session::reopened, this, &DocumentList::clearAfterReopen);
}

QString DocumentList::numberText(DocNum num)
{
    return documentNumberText(num);
}

DocNum DocumentList::docNumOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, DocNumRole).toLongLong() : 0;
}

bool DocumentList::loadDocumentList(DirNum folder)
{
    BusyScope busy(m_context.status);
    QList<DocumentSummary> documents;
    const bool read = m_context.notices.guard([&] { documents = m_context.documents.listDocuments(folder); });

    QList<QTreeWidgetItem *> items;
    items.reserve(documents.size());
    for (const DocumentSummary &d : documents) {
        auto *item = new ListRowItem(QStringList{QString(), numberText(d.num), displayTitle(d.title), d.changed});
        item->setIcon(0, m_documentIcon);
        item->setData(0, DocNumRole, d.num);
        item->setData(0, DateKeyRole, changeDateSortKey(d.changed));
        items.append(item);
    }
    {
        // Refilling is not a choice of the user: it opens nothing.
        const QSignalBlocker blocker(this);
        m_pressedCurrent = nullptr;
        m_openedEntry = nullptr;
        clear();
        addTopLevelItems(items);
        if (m_sorted)
            sortItems(m_sortKey, m_sortOrder);
    }
    noteEntrySelection();
    return read;
}

void DocumentList::showAfterEditing(DocNum num)
{
    loadDocumentList(m_context.state.currentDirNum());
    if (num != 0)
        selectDocument(num);
}

// A folder chosen anywhere is listed here; no folder leaves the list as it is.
void DocumentList::followFolder(DirNum num)
{
    if (num != 0)
        loadDocumentList(num);
}

// A document chosen elsewhere (find, drop, delete) gets its entry selected;
// one chosen here already has it.
void DocumentList::followDocument(DocNum num)
{
    if (docNumOf(m_openedEntry) != num || !m_openedEntry->isSelected())
        selectDocument(num);
}

void DocumentList::noteEntrySelection()
{
    m_context.state.setDocumentEntrySelected(selectedEntry() != nullptr);
}

// The rows listed belong to a file that is gone.
void DocumentList::clearAfterReopen()
{
    const QSignalBlocker blocker(this);
    m_pressedCurrent = nullptr;
    m_openedEntry = nullptr;
    clear();
    noteEntrySelection();
}

QTreeWidgetItem *DocumentList::selectedEntry() const
{
    QTreeWidgetItem *item = currentItem();
    if (item && item->isSelected())
        return item;
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QList<DocNum> DocumentList::selectedDocNums() const
{
    QList<DocNum> nums;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            nums.append(docNumOf(topLevelItem(i)));
    return nums;
}

void DocumentList::followSelection()
{
    QTreeWidgetItem *item = currentItem();
    if (item && item->isSelected() && item != m_openedEntry)
        openEntry(item);
}

void DocumentList::openEntry(QTreeWidgetItem *item)
{
    m_openedEntry = item;
    m_context.state.selectDocument(docNumOf(item));
}

bool DocumentList::selectDocument(DocNum num)
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        if (docNumOf(item) != num)
            continue;
        const QSignalBlocker blocker(this);
        clearSelection();
        setCurrentItem(item);
        scrollToItem(item);
        m_openedEntry = item;
        noteEntrySelection();
        return true;
    }
    return false;
}

void DocumentList::deleteDocuments()
{
    // The list is hidden while a document is edited: its selection is not
    // what the user is working on, and the document being edited must stay.
    if (m_context.state.isEditing())
        return;
    QList<QTreeWidgetItem *> doomed;
    QList<DocNum> nums;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected()) {
            doomed.append(topLevelItem(i));
            nums.append(docNumOf(topLevelItem(i)));
        }
    }
    if (doomed.isEmpty())
        return;
    BusyScope busy(m_context.status);
    if (!m_context.notices.guard([&] { m_context.documents.deleteDocuments(nums); }))
        return;  // rolled back: the list still shows exactly the rows there are
    {
        // Removing entries moves the current entry; that opens nothing.
        const QSignalBlocker blocker(this);
        for (QTreeWidgetItem *item : std::as_const(doomed)) {
            if (item == m_openedEntry)
                m_openedEntry = nullptr;
            if (item == m_pressedCurrent)
                m_pressedCurrent = nullptr;
            delete item;
        }
    }
    noteEntrySelection();
}

void DocumentList::sortByColumn(int column)
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

void DocumentList::mousePressEvent(QMouseEvent *event)
{
    QTreeWidgetItem *under = itemAt(event->position().toPoint());
    m_pressedCurrent = under && under == currentItem() && under->isSelected() ? under : nullptr;
    QTreeWidget::mousePressEvent(event);
}

void DocumentList::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton && m_documentMenu)
        m_documentMenu->popup(event->globalPosition().toPoint());
}

void DocumentList::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging && mayStartDocumentDrag(!selectedItems().isEmpty(), event->buttons()))
        startDocumentDrag(event->buttons());
    else
        QTreeWidget::mouseMoveEvent(event);
}

// The selected entries, in list order, go to the folder tree, which moves
// them when they are dropped on a folder.
void DocumentList::startDocumentDrag(Qt::MouseButtons held)
{
    auto *drag = new QDrag(this);
    drag->setMimeData(documentsMimeData(m_context.db.filePath(), selectedDocNums()));
    drag->setPixmap(dragPicture(style(), !held.testFlag(Qt::LeftButton)));
    Q_EMIT dragStarting(drag->mimeData());
    m_dragging = true;
    drag->exec(Qt::MoveAction);
    m_dragging = false;
    // The release ended the drag, not a press of this view.
    setState(QAbstractItemView::NoState);
    drag->deleteLater();
}

} // namespace folio
