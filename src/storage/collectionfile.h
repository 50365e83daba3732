#pragma once

#include "storage/types.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace folio {

// A connection of its own to the database file at `path`, for work on a
// worker thread (whole-collection import and export). Opened in the thread
// that uses it and closed when it goes; throws StorageError naming
// `operation` when the file cannot be opened.
class WorkerConnection
{
public:
    WorkerConnection(const QString &path, const QString &operation);
    ~WorkerConnection();
    WorkerConnection(const WorkerConnection &) = delete;
    WorkerConnection &operator=(const WorkerConnection &) = delete;
    QSqlDatabase db() const;

private:
    QString m_name;
};

// Adds many folders and documents in one transaction: nothing is visible to
// the program until commit(), and everything is gone again when the writer
// ends without it (a cancel, a failure). The search index is left to its
// catch-up: the table's triggers note every new row as pending.
class CollectionWriter
{
public:
    explicit CollectionWriter(const QString &path);
    ~CollectionWriter();
    CollectionWriter(const CollectionWriter &) = delete;
    CollectionWriter &operator=(const CollectionWriter &) = delete;

    // A top-level folder when `parent` is 0.
    DirNum addFolder(const QString &name, DirNum parent);
    DocNum addDocument(DirNum folder, const QString &title, const QString &html, const QString &changed);
    // The top-level folder names, to pick one that is not taken yet.
    QStringList topFolderNames() const;
    void commit();

private:
    WorkerConnection m_connection;
    bool m_open = false;
};

// Reads the folders and documents to export, on a connection of its own.
class CollectionReader
{
public:
    explicit CollectionReader(const QString &path);
    // Every folder that hangs in the tree (top level or under a folder).
    QList<Folder> folders() const;
    // The documents of a folder, without their bodies.
    QList<DocumentSummary> documents(DirNum folder) const;
    qint64 documentCount() const;
    std::optional<Document> document(DocNum num) const;

private:
    WorkerConnection m_connection;
};

} // namespace folio
