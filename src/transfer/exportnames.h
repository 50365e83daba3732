#pragma once

#include <QSet>
#include <QString>

namespace folio {

// Names of the files and folders written into one folder of an export:
// each title mapped by the export naming rule, and a name already given
// (in any case: a memory stick's file system does not tell "A" from "a")
// numbered "Title (2)", "Title (3)", ... Never longer than a file system
// takes, never empty, never "." or "..", never an index page's name.
class ExportNames
{
public:
    // A file for a document: the title and `suffix` (".htm", ".md").
    QString fileFor(const QString &title, const QString &suffix);
    // A folder for a folder name.
    QString folderFor(const QString &name);
    // Marks a name as taken (the folder's index page).
    void reserve(const QString &name) { m_taken.insert(name.toCaseFolded()); }

private:
    QString unique(const QString &stem, const QString &suffix);
    QSet<QString> m_taken;
};

} // namespace folio
