#pragma once

#include "storage/types.h"

#include <QList>
#include <QString>
#include <optional>

class QMimeData;
class QPixmap;
class QStyle;

namespace folio {

// What a drag inside the main window carries: documents dragged from the
// list, or a folder dragged within the tree. The payload names the
// knowledge base it came from, so that numbers dragged out of another
// running copy of the program (another program folder) are never taken for
// rows of this one.
inline constexpr char DocumentsMimeType[] = "application/x-foliokeeper-documents";
inline constexpr char FolderMimeType[] = "application/x-foliokeeper-folder";

QMimeData *documentsMimeData(const QString &base, const QList<DocNum> &docs);
QMimeData *folderMimeData(const QString &base, DirNum folder);

// The numbers carried, or nothing when the data is of another kind, from
// another base or damaged.
std::optional<QList<DocNum>> documentsFromMimeData(const QMimeData *data, const QString &base);
std::optional<DirNum> folderFromMimeData(const QMimeData *data, const QString &base);

// The picture under the pointer while dragging: the folder picture for a
// folder and for documents dragged with the left button, another for
// documents dragged with the right button.
QPixmap dragPicture(const QStyle *style, bool rightButton);

} // namespace folio
