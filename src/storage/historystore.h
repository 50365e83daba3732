#pragma once

#include "storage/types.h"

#include <QDateTime>
#include <QList>
#include <atomic>
#include <optional>

namespace folio {

class Database;

// Why a version was kept: the text a save replaced, or a deleted document.
enum class VersionReason { Save, Delete };

// One kept version, without its text (lists never read bodies).
struct DocumentVersion
{
    qint64 histNum = 0;
    DocNum doc = 0;
    DirNum dir = 0;
    QString title;
    QString changed;     // ChgDate of the version, as stored
    QDateTime keptAt;    // UTC
    VersionReason reason = VersionReason::Save;
    qint64 size = 0;     // characters of its HTML
};

// Where a restored deleted document went.
struct RestoredDocument
{
    DirNum dir = 0;
    DocNum doc = 0;
    // Its folder was gone: it went into the top-level folder "Restored
    // Documents", which was made for it when none existed (`folderCreated`).
    bool intoRestoredFolder = false;
    bool folderCreated = false;
};

inline const QString RestoredFolderName = QStringLiteral("Restored Documents");

// The history of the documents, kept in DocHistory by plain-SQL triggers on
// DocTable (so rows changed or deleted by other tools are kept too): a save
// that changes the title or the text keeps the version it replaces unless a
// version of that document was kept in the last ten minutes; a delete keeps
// the deleted document. Every change runs in one transaction with the
// change it follows.
class HistoryStore
{
public:
    explicit HistoryStore(Database &db) : m_db(db) {}

    // The versions of `doc`, newest first.
    QList<DocumentVersion> versionsOf(DocNum doc) const;
    // The HTML of a version; nothing when it is gone.
    std::optional<QString> versionText(qint64 histNum) const;
    // Makes the version the current title and text of its document, with
    // the change date `changed`; the current title and text are kept first
    // as a version (whatever the ten-minute rule says), so that a restore
    // can be undone. False when the version or its document is gone.
    bool restoreVersion(qint64 histNum, const QString &changed);

    // Documents that were deleted and are not in DocTable, newest deletion
    // first (one entry each: the version kept when it was deleted).
    QList<DocumentVersion> deletedDocuments() const;
    // Puts a deleted document back under a new number, into its folder or,
    // when that is gone, into the top-level folder "Restored Documents";
    // its earlier versions go with it and it leaves the deleted list.
    // Nothing when the entry is gone.
    std::optional<RestoredDocument> restoreDeleted(qint64 histNum);

private:
    Database &m_db;
};

// What thinning keeps.
struct ThinningRules
{
    int dailyAfterDays = 30;     // older versions: the newest of each day
    int monthlyAfterDays = 365;  // older versions: the newest of each month
    int deletedKeepDays = 90;    // deleted documents (and their versions) then go
    int shareOfFile = 50;        // the history's share of the file, in percent
};

// Thins the history of the file at `path` on a connection of its own (for a
// worker thread), in short transactions: versions older than 30 days to one
// a day, older than a year to one a month; deleted documents 90 days after
// their deletion; then, while the history holds more than its share of the
// file, the oldest versions older than 30 days. It never removes the newest
// version of a document that exists, nor any version younger than 30 days.
// `now` is UTC. Returns how many versions it removed. Throws StorageError.
qint64 thinHistory(const QString &path, const QDateTime &now, const ThinningRules &rules = {},
                   const std::atomic<bool> *cancel = nullptr);

} // namespace folio
