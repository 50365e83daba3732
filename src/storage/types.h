#pragma once

#include <QString>
#include <QtGlobal>

namespace folio {

// Keys are 64-bit: the counters are AUTOINCREMENT and never reused, so a
// long-lived knowledge base passes any 16-bit limit in time.
using DirNum = qint64;
using DocNum = qint64;

struct Folder
{
    DirNum num = 0;
    QString name;
    QString attr;        // "R" top-level, "D" sub-folder, anything else is unreachable
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
