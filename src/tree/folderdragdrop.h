#pragma once

#include "tree/dragrules.h"

#include <QString>
#include <functional>

namespace folio {

struct AppContext;

// What the folder tree remembers between a press, a drag and a drop, and
// what a drop does: it moves the rows and shows the result through the one
// navigation path. Free of widgets; the tree reports the mouse in twips and
// the folders under it.
class FolderDragDrop
{
public:
    using Clock = std::function<qint64()>;

    // Rebuilds the tree after folder `moved` went under `parent` (0: top level).
    using TreeAfterMove = std::function<void(DirNum moved, DirNum parent)>;

    FolderDragDrop(AppContext &context, TreeAfterMove treeAfterMove);

    // Milliseconds on a steady clock; a test may set its own.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    qint64 now() const { return m_clock(); }
    // Names this knowledge base in drag payloads.
    QString base() const;

    // Every press in the tree is remembered; a left press names the folder
    // under the pointer (0 on empty space) as the one a drag would move.
    void press(Qt::MouseButton button, QPoint twips, DirNum folderUnder);
    // The folder to drag now that the pointer is at `twips`, or 0.
    DirNum folderToDrag(QPoint twips, Qt::MouseButtons held) const;
    bool dropTooSoon() const;

    // Moves folder `moved` under `target` (0: to the top level), unless the
    // rules refuse it; then rebuilds the tree and shows the folder. Returns
    // whether it moved. A failure is reported to the user.
    bool dropFolder(DirNum moved, DirNum target, const QList<DirNum> &targetLineage);
    // Moves the documents into `target` and shows that folder with one of
    // them. Returns whether anything moved.
    bool dropDocuments(const QList<DocNum> &docs, DirNum target);

private:
    AppContext &m_context;
    TreeAfterMove m_treeAfterMove;
    Clock m_clock;
    std::optional<TreePress> m_lastPress;
    DirNum m_dragSource = 0;
};

} // namespace folio
