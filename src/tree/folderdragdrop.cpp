#include "tree/folderdragdrop.h"

#include "session/appstate.h"
#include "storage/database.h"
#include "storage/documentstore.h"
#include "storage/folderstore.h"
#include "widgets/appcontext.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QElapsedTimer>

namespace folio {

namespace {

qint64 steadyMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

} // namespace

FolderDragDrop::FolderDragDrop(AppContext &context, TreeAfterMove treeAfterMove)
    : m_context(context)
    , m_treeAfterMove(std::move(treeAfterMove))
    , m_clock(&steadyMs)
{
}

QString FolderDragDrop::base() const
{
    return m_context.db.filePath();
}

// A left press on empty space forgets the last folder pressed: a drag
// started there must not carry off a folder the user did not touch.
void FolderDragDrop::press(Qt::MouseButton button, QPoint twips, DirNum folderUnder)
{
    m_lastPress = TreePress{now(), twips};
    if (button == Qt::LeftButton)
        m_dragSource = folderUnder;
}

DirNum FolderDragDrop::folderToDrag(QPoint twips, Qt::MouseButtons held) const
{
    return mayStartFolderDrag(m_lastPress, now(), twips, m_dragSource, held) ? m_dragSource : 0;
}

bool FolderDragDrop::dropTooSoon() const
{
    return folio::dropTooSoon(m_lastPress, now());
}

bool FolderDragDrop::dropFolder(DirNum moved, DirNum target, const QList<DirNum> &targetLineage)
{
    const std::optional<DirNum> parent = folderDropParent(moved, target, targetLineage);
    if (!parent)
        return false;
    {
        BusyScope busy(m_context.status);
        if (!m_context.notices.guard([&] { m_context.folders.moveFolder(moved, *parent); }))
            return false;
    }
    if (m_treeAfterMove)
        m_treeAfterMove(moved, *parent);
    m_context.state.navigateTo(moved, 0);
    return true;
}

bool FolderDragDrop::dropDocuments(const QList<DocNum> &docs, DirNum target)
{
    if (!mayDropDocuments(target, docs))
        return false;
    int moved = 0;
    {
        BusyScope busy(m_context.status);
        if (!m_context.notices.guard([&] { moved = m_context.documents.moveDocuments(docs, target); }))
            return false;
    }
    const DocNum current = m_context.state.currentDocNum();
    m_context.state.navigateTo(target, moved > 0 ? documentToShowAfterDrop(docs, current) : 0);
    return moved > 0;
}

} // namespace folio
