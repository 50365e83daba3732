#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace folio::bench {

// What was written for the peers.
struct PeerExportSummary
{
    int folders = 0;
    int documents = 0;
};

// Writes a generated knowledge base (KB97.MDB, read only) as the notebooks
// of two other note programs, to time them on the same content: folders
// and documents become nodes (or pages) in the same tree, documents keep
// their title and their text without markup.
//
// `subset` > 1 keeps every subset-th top-level folder with all below it:
// about 1/subset of the base, in the same shape.
class PeerExport
{
public:
    using Progress = std::function<void(const QString &)>;

    PeerExport(QSqlDatabase source, int subset = 1);

    // A CherryTree document (.ctb, SQLite): a node per folder and per
    // document, plain-text nodes, in the order of the base.
    PeerExportSummary writeCherryTree(const QString &path, const Progress &progress = {}) const;
    // A Zim notebook in `dir`: notebook.zim and a .txt page per folder and
    // document; the pages below a page are in the folder of its name.
    PeerExportSummary writeZim(const QString &dir, const Progress &progress = {}) const;

    // The text of a stored page without its markup: paragraphs, headings,
    // list items and line breaks become line ends, character references
    // are decoded.
    static QString plainText(const QString &html);
    // A file name for a page: letters and digits kept, anything else an
    // underscore, and a tag of the node ("f12" folder 12, "d7" document 7)
    // added so that names never clash.
    static QString fileNameFor(const QString &name, const QString &tag);

private:
    struct Folder
    {
        qint64 num = 0;
        qint64 parent = 0;
        QString name;
    };

    QList<Folder> selectedFolders() const;

    QSqlDatabase m_source;
    int m_subset;
};

} // namespace folio::bench
