#pragma once

#include "storage/types.h"

#include <QList>
#include <QString>
#include <optional>

namespace folio {

class Database;

enum class KeywordJoin { And, Or };

// One or two keywords. Each is literal text matched as a substring, ignoring
// case (Unicode simple case folding): no character of it has a special
// meaning, blanks included. An empty second keyword is no condition.
struct SearchRequest
{
    QString keyword1;
    QString keyword2;
    KeywordJoin join = KeywordJoin::And;
};

// A document the search found, with its folder so that it can be shown.
struct FoundDocument
{
    DocNum num = 0;
    DirNum dir = 0;
    QString title;
    QString changed;   // ChgDate as stored
};

// Keywords of fewer characters than this cannot use the trigram index and
// are found by a scan of the stored text.
inline constexpr int IndexedKeywordLength = 3;

// The find operations: documents by title and visible text, folders by name.
class DocumentSearch
{
public:
    explicit DocumentSearch(Database &db) : m_db(db) {}

    // Documents whose title or visible text holds the keywords, in number
    // order. Searches the index when it is current; otherwise (rows changed
    // by other tools and not indexed yet, a file without the index) reads
    // every page instead, which is slow on a large base: bringing the index
    // up to date is the background build's work, never the search's.
    // Throws StorageError.
    QList<FoundDocument> findDocuments(const SearchRequest &request) const;
    // Whether the index is in place with no row waiting for its text.
    bool indexIsCurrent() const;

    // The folder a document is in now, or none when it is gone.
    std::optional<DirNum> folderOf(DocNum num) const;

    // Folders whose name holds the keywords, in number order. Throws StorageError.
    QList<Folder> findFolders(const SearchRequest &request) const;

private:
    QList<FoundDocument> findByIndex(const QString &folded1, const QString &folded2, KeywordJoin join) const;
    QList<FoundDocument> findByReading(const QString &folded1, const QString &folded2, KeywordJoin join) const;
    Database &m_db;
};

} // namespace folio
