#include "storage/documentsearch.h"

#include "storage/database.h"
#include "storage/folderstore.h"
#include "storage/htmltext.h"
#include "storage/savepoint.h"
#include "storage/searchindex.h"
#include "storage/storageerror.h"

#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

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

// The condition on DocTable.DocNum for one keyword, with its bound values.
QString keywordCondition(const QString &folded, QVariantList &values)
{
    if (characterCount(folded) >= IndexedKeywordLength) {
        values << literalPhrase(folded);
        return QStringLiteral("DocNum IN (SELECT rowid FROM DocTextIndex WHERE DocTextIndex MATCH ?)");
    }
    values << folded << folded;
    return QStringLiteral("DocNum IN (SELECT DocNum FROM DocText WHERE instr(Title, ?) > 0 OR instr(Body, ?) > 0)");
}

} // namespace

QList<FoundDocument> DocumentSearch::findDocuments(const SearchRequest &request) const
{
    const Keywords k = foldedKeywords(request);
    if (k.isEmpty())
        return {};
    SearchIndex index(m_db.connection());
    bool current = index.isInstalled() && index.pendingCount() == 0;
    if (!current && m_db.isWritable()) {
        if (!index.isInstalled()) {
            Savepoint change(m_db.connection(), QStringLiteral("prepare the search index"));
            index.install();
            change.release();
        }
        index.catchUp();
        current = true;
    }
    return current ? findByIndex(k.first, k.second, k.join) : findByReading(k.first, k.second, k.join);
}

QList<FoundDocument> DocumentSearch::findByIndex(const QString &folded1, const QString &folded2,
                                                   KeywordJoin join) const
{
    QVariantList values;
    QString where = keywordCondition(folded1, values);
    if (!folded2.isEmpty())
        where += (join == KeywordJoin::And ? QStringLiteral(" AND ") : QStringLiteral(" OR "))
            + keywordCondition(folded2, values);
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    prepareOrThrow(q, QStringLiteral("SELECT DocNum, DirNum, DocName, ChgDate FROM DocTable WHERE %1 ORDER BY DocNum").arg(where),
                   FindOperation);
    for (const QVariant &value : values)
        q.addBindValue(value);
    execOrThrow(q, FindOperation);
    QList<FoundDocument> found;
    while (q.next())
        found.append(FoundDocument{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(),
                                   q.value(3).toString()});
    return found;
}

// Without a current index (a file that cannot be written): every page is
// read and its visible text compared. Slow on a large base, but complete.
QList<FoundDocument> DocumentSearch::findByReading(const QString &folded1, const QString &folded2,
                                                     KeywordJoin join) const
{
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    prepareOrThrow(q, QStringLiteral("SELECT DocNum, DirNum, DocName, ChgDate, Text FROM DocTable ORDER BY DocNum"),
                   FindOperation);
    execOrThrow(q, FindOperation);
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
