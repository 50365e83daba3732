#include "storage/documentsearch.h"

#include "storage/database.h"
#include "storage/folderstore.h"
#include "storage/htmltext.h"
#include "storage/rawstatement.h"
#include "storage/searchindex.h"
#include "storage/statement.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

namespace folio {

namespace {

const QString FindOperation = QStringLiteral("search the documents");

struct Keywords
{
    QString first;
    QString second;   // may be empty: no second condition
    KeywordJoin join;
    bool isEmpty() const { return first.isEmpty(); }
};

// The keywords in search form; a lone second keyword becomes the first.
Keywords foldedKeywords(const SearchRequest &request)
{
    Keywords k{searchFold(request.keyword1), searchFold(request.keyword2), request.join};
    if (k.first.isEmpty())
        std::swap(k.first, k.second);
    return k;
}

bool holds(const QString &foldedText, const QString &foldedKeyword)
{
    return foldedText.contains(foldedKeyword, Qt::CaseSensitive);
}

template <typename Test>
bool matches(const Keywords &k, Test test)
{
    const bool first = test(k.first);
    if (k.second.isEmpty())
        return first;
    return k.join == KeywordJoin::And ? first && test(k.second) : first || test(k.second);
}

qsizetype characterCount(const QString &text)
{
    qsizetype count = 0;
    for (QChar c : text)
        count += c.isLowSurrogate() ? 0 : 1;
    return count;
}

// An FTS5 string: the whole keyword as one phrase, so operators, stars,
// brackets and column names in it are plain text. Quotes are doubled.
QString literalPhrase(QString keyword)
{
    return QLatin1Char('"') + keyword.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

using DocSet = std::vector<DocNum>;   // ascending

// Documents whose title or text holds all trigrams of the keywords at
// consecutive places, as the FTS5 query `expression` says.
DocSet indexMatches(const QSqlDatabase &db, const QString &expression)
{
    RawStatement q(db, FindOperation, "SELECT rowid FROM DocTextIndex WHERE DocTextIndex MATCH ? ORDER BY rowid");
    q.bind(1, expression.toUtf8());
    DocSet found;
    while (q.next())
        found.push_back(q.number(0));
    return found;
}

// Documents whose stored title or text holds `folded`: a scan of all the
// stored text. Comparing the UTF-8 bytes is exact, as UTF-8 never matches
// inside a character.
DocSet textMatches(const QSqlDatabase &db, const QString &folded)
{
    const QByteArray needle = folded.toUtf8();
    const std::string_view key(needle.constData(), size_t(needle.size()));
    RawStatement q(db, FindOperation, "SELECT DocNum, Title, Body FROM DocText ORDER BY DocNum");
    DocSet found;
    while (q.next()) {
        if (q.bytes(1).find(key) != std::string_view::npos || q.bytes(2).find(key) != std::string_view::npos)
            found.push_back(q.number(0));
    }
    return found;
}

DocSet combine(const DocSet &a, const DocSet &b, KeywordJoin join)
{
    DocSet result;
    if (join == KeywordJoin::And)
        std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(result));
    else
        std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(result));
    return result;
}

bool isIndexed(const QString &folded)
{
    return characterCount(folded) >= IndexedKeywordLength;
}

DocSet keywordMatches(const QSqlDatabase &db, const QString &folded)
{
    return isIndexed(folded) ? indexMatches(db, literalPhrase(folded)) : textMatches(db, folded);
}

// The listed columns of the found documents. All of them come from the
// index DocTable_Folder: reading them from the table would walk through
// each page's HTML to reach ChgDate, stored after it.
QList<FoundDocument> describe(const QSqlDatabase &db, const DocSet &found)
{
    // Each row goes straight to its place in number order: no sort.
    QList<FoundDocument> documents(qsizetype(found.size()));
    if (found.empty())
        return documents;
    RawStatement q(db, FindOperation, "SELECT DocNum, DirNum, DocName, ChgDate FROM DocTable");
    qsizetype filled = 0;
    while (q.next()) {
        const DocNum num = q.number(0);
        const auto at = std::lower_bound(found.begin(), found.end(), num);
        if (at == found.end() || *at != num)
            continue;
        documents[at - found.begin()] = FoundDocument{num, q.number(1), q.text(2), q.text(3)};
        ++filled;
    }
    // A row deleted between the two reads leaves a gap (number 0).
    if (filled != documents.size())
        documents.removeIf([](const FoundDocument &d) { return d.num == 0; });
    return documents;
}

} // namespace

QList<FoundDocument> DocumentSearch::findDocuments(const SearchRequest &request) const
{
    const Keywords k = foldedKeywords(request);
    if (k.isEmpty())
        return {};
    return indexIsCurrent() ? findByIndex(k.first, k.second, k.join) : findByReading(k.first, k.second, k.join);
}

bool DocumentSearch::indexIsCurrent() const
{
    const SearchIndex index(m_db.connection());
    if (!index.isInstalled() || index.hasPending())
        return false;
    // Rows another tool wrote without the triggers are not in the index
    // until the background build notes them: until the counts agree, the
    // pages are read.
    if (!m_db.searchRowsCounted() && index.rowsAgree())
        m_db.setSearchRowsCounted();
    return m_db.searchRowsCounted();
}

QList<FoundDocument> DocumentSearch::findByIndex(const QString &folded1, const QString &folded2,
                                                 KeywordJoin join) const
{
    const QSqlDatabase db = m_db.connection();
    DocSet found;
    if (folded2.isEmpty()) {
        found = keywordMatches(db, folded1);
    } else if (isIndexed(folded1) && isIndexed(folded2)) {
        // One query: the index joins the two phrases itself.
        const QString joinWord = join == KeywordJoin::And ? QStringLiteral(" AND ") : QStringLiteral(" OR ");
        found = indexMatches(db, literalPhrase(folded1) + joinWord + literalPhrase(folded2));
    } else {
        found = combine(keywordMatches(db, folded1), keywordMatches(db, folded2), join);
    }
    return describe(db, found);
}

// Without a current index (rows not indexed yet, or a file that cannot be
// written and has none): every page is read and its visible text compared,
// as the index would hold it. Slow on a large base, but complete.
QList<FoundDocument> DocumentSearch::findByReading(const QString &folded1, const QString &folded2,
                                                     KeywordJoin join) const
{
    const QString sql = QStringLiteral("SELECT DocNum, DirNum, DocName, ChgDate, Text FROM DocTable ORDER BY DocNum");
    QSqlQuery q = runStatement(m_db.connection(), sql, {}, FindOperation);
    const Keywords k{folded1, folded2, join};
    QList<FoundDocument> found;
    while (q.next()) {
        const QString title = searchFold(q.value(2).toString());
        const QString body = searchFold(visibleText(q.value(4).toString()));
        if (matches(k, [&](const QString &kw) { return holds(title, kw) || holds(body, kw); }))
            found.append(FoundDocument{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(),
                                       q.value(3).toString()});
    }
    return found;
}

std::optional<DirNum> DocumentSearch::folderOf(DocNum num) const
{
    QSqlQuery q = runStatement(m_db.connection(), QStringLiteral("SELECT DirNum FROM DocTable WHERE DocNum = ?"), {num},
                               QStringLiteral("read the folder of the document"));
    if (!q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

QList<Folder> DocumentSearch::findFolders(const SearchRequest &request) const
{
    const Keywords k = foldedKeywords(request);
    if (k.isEmpty())
        return {};
    QList<Folder> found;
    for (Folder &folder : FolderStore(m_db).allFolders()) {
        const QString folded = searchFold(folder.name);
        if (matches(k, [&](const QString &kw) { return holds(folded, kw); }))
            found.append(std::move(folder));
    }
    std::sort(found.begin(), found.end(), [](const Folder &a, const Folder &b) { return a.num < b.num; });
    return found;
}

} // namespace folio
