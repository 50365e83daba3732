#pragma once

#include "storage/types.h"

#include <QList>
#include <QPoint>
#include <optional>

namespace folio {

// When a drag in the folder tree may start, when a drop counts and what a
// drop moves where. Plain functions, so that the tree widget only reports
// what the mouse did.

// A folder drag starts only after the button has been held this long...
constexpr qint64 FolderDragDelayMs = 300;
// ...and the pointer has moved at least this far both across and down.
constexpr int FolderDragDistanceTwips = 20;
// A drop this soon after the last press in the tree is taken for a slip.
constexpr qint64 DropGuardMs = 300;

// Pointer positions are compared in twips, 15 to a pixel at 96 dots per inch.
constexpr QPoint pixelsToTwips(QPoint pixels)
{
    return pixels * 15;
}

// The last press of a mouse button in the tree.
struct TreePress
{
    qint64 atMs = 0;
    QPoint twips;
};

// Whether moving the pointer to `now` with `held` buttons starts dragging
// the folder `source` (0: no folder was pressed).
bool mayStartFolderDrag(const std::optional<TreePress> &press, qint64 nowMs, QPoint now, DirNum source,
                        Qt::MouseButtons held);

// Whether a drop at `nowMs` comes too soon after the last press in the tree.
bool dropTooSoon(const std::optional<TreePress> &lastPress, qint64 nowMs);

// Where folder `moved` goes when dropped on folder `target` (0: empty space
// below the folders): the new parent, 0 for the top level, or nothing when
// the move is refused. `targetLineage` is the target and every folder above
// it up to the top level. Refused only when the target is the folder itself
// or lies inside it, judged by folder numbers: a sibling whose name merely
// begins with the same letters is a valid target.
std::optional<DirNum> folderDropParent(DirNum moved, DirNum target, const QList<DirNum> &targetLineage);

// Documents move only onto a folder, and only when there are some.
bool mayDropDocuments(DirNum target, const QList<DocNum> &docs);

// After documents moved, the one to show: the current document when it
// was among them, else the first of them.
DocNum documentToShowAfterDrop(const QList<DocNum> &moved, DocNum current);

} // namespace folio
