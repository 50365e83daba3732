#include "tree/dragrules.h"

#include <cstdlib>

namespace folio {

bool mayStartFolderDrag(const std::optional<TreePress> &press, qint64 nowMs, QPoint now, DirNum source,
                        Qt::MouseButtons held)
{
    if (!press || nowMs - press->atMs < FolderDragDelayMs)
        return false;
    // Both distances must reach the threshold: a purely sideways or purely
    // vertical movement is not a drag.
    if (std::abs(now.x() - press->twips.x()) < FolderDragDistanceTwips
        || std::abs(now.y() - press->twips.y()) < FolderDragDistanceTwips)
        return false;
    return source != 0 && held.testFlag(Qt::LeftButton);
}

bool dropTooSoon(const std::optional<TreePress> &lastPress, qint64 nowMs)
{
    return lastPress && nowMs - lastPress->atMs < DropGuardMs;
}

std::optional<DirNum> folderDropParent(DirNum moved, DirNum target, const QList<DirNum> &targetLineage)
{
    if (moved == 0)
        return std::nullopt;
    if (target != 0 && (target == moved || targetLineage.contains(moved)))
        return std::nullopt;
    return target;
}

bool mayDropDocuments(DirNum target, const QList<DocNum> &docs)
{
    return target != 0 && !docs.isEmpty();
}

DocNum documentToShowAfterDrop(const QList<DocNum> &moved, DocNum current)
{
    if (moved.contains(current))
        return current;
    return moved.isEmpty() ? 0 : moved.first();
}

} // namespace folio
