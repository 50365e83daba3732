#pragma once

#include <QString>
#include <QtGlobal>

namespace folio {

// Keys are 64-bit: the counters are AUTOINCREMENT and never reused, so a
// long-lived knowledge base passes any 16-bit limit in time.
using DirNum = qint64;
using DocNum = qint64;

// Where a folder sits: stored in the Attr column as "R" (top level) or "D"
// (under its Parent). Any other stored value leaves the folder unreachable.
enum class FolderKind { Root, Sub, Unreachable };

FolderKind folderKindFromAttr(const QString &attr);
// "R" or "D"; never asked for Unreachable.
QString attrForKind(FolderKind kind);

struct Folder
{
    DirNum num = 0;
    QString name;
    FolderKind kind = FolderKind::Unreachable;
    DirNum parent = 0;
};

struct DocumentSummary
{
    DocNum num = 0;
    QString title;
    QString changed;     // ChgDate as stored
};

struct Document
{
    DocNum num = 0;
    DirNum dirNum = 0;
    QString title;
    QString html;
    QString changed;
};

} // namespace folio
