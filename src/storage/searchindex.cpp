#include "storage/searchindex.h"

#include "storage/htmltext.h"
#include "storage/statement.h"
#include "storage/storageerror.h"
#include "storage/transaction.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <optional>

namespace folio {

namespace {

QAtomicInt workerCounter;

// Work done between two commits of a catch-up: long enough that the flushes
// do not dominate, short enough that a save on the main connection waits
// no longer than a blink.
constexpr qint64 BatchMilliseconds = 200;
constexpr int BatchRows = 50;

const QStringList SearchObjects = {
    QStringLiteral("DocText"),
    QStringLiteral("DocTextIndex"),
    QStringLiteral("DocTextPending"),
    QStringLiteral("DocText_Num"),
    QStringLiteral("DocTable_TextInsert"),
    QStringLiteral("DocTable_TextUpdate"),
    QStringLiteral("DocTable_TextDelete"),
};

qint64 count(const QSqlDatabase &db, const QString &sql, const QString &operation)
{
    QSqlQuery q = runStatement(db, sql, {}, operation);
    return q.next() ? q.value(0).toLongLong() : 0;
}

struct IndexedText
{
    QString title;
    QString body;
    bool operator==(const IndexedText &) const = default;
};

// The statements of one refresh, prepared once for a whole batch.
class Refresher
{
public:
    explicit Refresher(QSqlDatabase db)
        : m_readDocument(db), m_readIndexed(db), m_removeIndexed(db), m_removeText(db), m_insertText(db),
          m_insertIndexed(db), m_clearPending(db)
    {
        const QString op = operation();
        prepareOrThrow(m_readDocument, QStringLiteral("SELECT DocName, Text FROM DocTable WHERE DocNum = ?"), op);
        prepareOrThrow(m_readIndexed, QStringLiteral("SELECT Title, Body FROM DocText WHERE DocNum = ?"), op);
        prepareOrThrow(m_removeIndexed,
                       QStringLiteral("INSERT INTO DocTextIndex (DocTextIndex, rowid, Title, Body) "
                                      "VALUES ('delete', ?, ?, ?)"), op);
        prepareOrThrow(m_removeText, QStringLiteral("DELETE FROM DocText WHERE DocNum = ?"), op);
        prepareOrThrow(m_insertText, QStringLiteral("INSERT INTO DocText (DocNum, Title, Body) VALUES (?, ?, ?)"), op);
        prepareOrThrow(m_insertIndexed,
                       QStringLiteral("INSERT INTO DocTextIndex (rowid, Title, Body) VALUES (?, ?, ?)"), op);
        prepareOrThrow(m_clearPending, QStringLiteral("DELETE FROM DocTextPending WHERE DocNum = ?"), op);
    }

    static QString operation() { return QStringLiteral("update the search index"); }

    void refresh(DocNum num)
    {
        const std::optional<IndexedText> wanted = extract(num);
        const std::optional<IndexedText> stored = indexed(num);
        if (stored && stored != wanted) {
            exec(m_removeIndexed, {num, stored->title, stored->body});
            exec(m_removeText, {num});
        }
        if (wanted && stored != wanted) {
            exec(m_insertText, {num, wanted->title, wanted->body});
            exec(m_insertIndexed, {num, wanted->title, wanted->body});
        }
        exec(m_clearPending, {num});
    }

private:
    std::optional<IndexedText> extract(DocNum num)
    {
        exec(m_readDocument, {num});
        std::optional<IndexedText> text;
        if (m_readDocument.next())
            text = IndexedText{searchFold(m_readDocument.value(0).toString()),
                               searchFold(visibleText(m_readDocument.value(1).toString()))};
        m_readDocument.finish();
        return text;
    }

    std::optional<IndexedText> indexed(DocNum num)
    {
        exec(m_readIndexed, {num});
        std::optional<IndexedText> text;
        if (m_readIndexed.next())
            text = IndexedText{m_readIndexed.value(0).toString(), m_readIndexed.value(1).toString()};
        m_readIndexed.finish();
        return text;
    }

    static void exec(QSqlQuery &q, const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        execOrThrow(q, operation());
    }

    QSqlQuery m_readDocument, m_readIndexed, m_removeIndexed, m_removeText, m_insertText, m_insertIndexed,
        m_clearPending;
};

QList<DocNum> nextPending(QSqlDatabase &db, int limit)
{
    QSqlQuery q = runStatement(db, QStringLiteral("SELECT DocNum FROM DocTextPending ORDER BY DocNum LIMIT ?"),
                               {limit}, Refresher::operation());
    QList<DocNum> numbers;
    while (q.next())
        numbers.append(q.value(0).toLongLong());
    return numbers;
}

} // namespace

QStringList SearchIndex::schemaStatements()
{
    // Keep in step with resources/schema.sql. The text is stored folded
    // by the program (searchFold), so the tokenizer compares it exactly:
    // SQLite's own folding knows fewer letters than Unicode does.
    return {
        QStringLiteral("CREATE TABLE DocText (\n"
                       "    DocNum INTEGER PRIMARY KEY,\n"
                       "    Title  TEXT NOT NULL DEFAULT '',\n"
                       "    Body   TEXT NOT NULL DEFAULT ''\n"
                       ")"),
        QStringLiteral("CREATE VIRTUAL TABLE DocTextIndex USING fts5 (\n"
                       "    Title, Body, content = 'DocText', content_rowid = 'DocNum',\n"
                       "    tokenize = 'trigram case_sensitive 1', detail = full, columnsize = 0\n"
                       ")"),
        QStringLiteral("CREATE TABLE DocTextPending (DocNum INTEGER PRIMARY KEY)"),
        QStringLiteral("CREATE INDEX DocText_Num ON DocText (DocNum)"),
        QStringLiteral("CREATE TRIGGER DocTable_TextInsert AFTER INSERT ON DocTable BEGIN\n"
                       "    INSERT INTO DocTextPending (DocNum) SELECT new.DocNum\n"
                       "        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = new.DocNum);\n"
                       "END"),
        QStringLiteral("CREATE TRIGGER DocTable_TextUpdate AFTER UPDATE OF DocNum, DocName, Text ON DocTable BEGIN\n"
                       "    INSERT INTO DocTextPending (DocNum) SELECT old.DocNum\n"
                       "        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = old.DocNum);\n"
                       "    INSERT INTO DocTextPending (DocNum) SELECT new.DocNum\n"
                       "        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = new.DocNum);\n"
                       "END"),
        QStringLiteral("CREATE TRIGGER DocTable_TextDelete AFTER DELETE ON DocTable BEGIN\n"
                       "    INSERT INTO DocTextPending (DocNum) SELECT old.DocNum\n"
                       "        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = old.DocNum);\n"
                       "END"),
    };
}

bool SearchIndex::isInstalled() const
{
    QVariantList names;
    for (const QString &name : SearchObjects)
        names.append(name);
    QSqlQuery q =
        runStatement(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN (?, ?, ?, ?, ?, ?, ?)"),
                     names, QStringLiteral("read the search index"));
    return q.next() && q.value(0).toInt() == SearchObjects.size();
}

void SearchIndex::install()
{
    const QString operation = QStringLiteral("prepare the search index");
    if (!isInstalled()) {
        runStatement(m_db, QStringLiteral("DROP TRIGGER IF EXISTS DocTable_TextInsert"), {}, operation);
        runStatement(m_db, QStringLiteral("DROP TRIGGER IF EXISTS DocTable_TextUpdate"), {}, operation);
        runStatement(m_db, QStringLiteral("DROP TRIGGER IF EXISTS DocTable_TextDelete"), {}, operation);
        runStatement(m_db, QStringLiteral("DROP TABLE IF EXISTS DocTextIndex"), {}, operation);
        runStatement(m_db, QStringLiteral("DROP TABLE IF EXISTS DocText"), {}, operation);
        runStatement(m_db, QStringLiteral("DROP TABLE IF EXISTS DocTextPending"), {}, operation);
        for (const QString &statement : schemaStatements())
            runStatement(m_db, statement, {}, operation);
    }
}

bool SearchIndex::rowsAgree() const
{
    const QString operation = QStringLiteral("read the search index");
    return count(m_db, QStringLiteral("SELECT count(*) FROM DocTable"), operation)
        == count(m_db, QStringLiteral("SELECT count(*) FROM DocText"), operation);
}

void SearchIndex::noteUnindexedRows()
{
    // Equal counts are the usual case and cost two index counts; otherwise
    // the keys are compared (index scans only, never the table pages).
    if (rowsAgree())
        return;
    const QString missing = QStringLiteral(
        "SELECT DocNum FROM (SELECT DocNum FROM DocTable EXCEPT SELECT DocNum FROM DocText) "
        "UNION ALL SELECT DocNum FROM (SELECT DocNum FROM DocText EXCEPT SELECT DocNum FROM DocTable)");
    runStatement(m_db, QStringLiteral("INSERT OR IGNORE INTO DocTextPending (DocNum) %1").arg(missing), {},
                 QStringLiteral("prepare the search index"));
}

bool SearchIndex::hasPending() const
{
    QSqlQuery q = runStatement(m_db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM DocTextPending)"), {},
                               QStringLiteral("read the search index"));
    return q.next() && q.value(0).toBool();
}

qint64 SearchIndex::pendingCount() const
{
    return count(m_db, QStringLiteral("SELECT count(*) FROM DocTextPending"), QStringLiteral("read the search index"));
}

void SearchIndex::refresh(DocNum num)
{
    Refresher(m_db).refresh(num);
}

void SearchIndex::catchUp(const Progress &progress, const std::atomic<bool> *cancel)
{
    const QString operation = Refresher::operation();
    const qint64 total = pendingCount();
    qint64 done = 0;
    bool finished = total == 0;
    while (!finished && !(cancel && cancel->load())) {
        // IMMEDIATE: take the write lock before reading, so a save on
        // another connection waits for this batch instead of failing.
        runStatement(m_db, QStringLiteral("BEGIN IMMEDIATE"), {}, operation);
        try {
            Refresher refresher(m_db);
            QElapsedTimer batch;
            batch.start();
            // The clock is read after every document: a batch of large
            // documents must not hold the write lock for seconds, or a
            // change the user makes meanwhile would give up waiting.
            while (batch.elapsed() < BatchMilliseconds) {
                const QList<DocNum> numbers = nextPending(m_db, BatchRows);
                if (numbers.isEmpty()) {
                    finished = true;
                    break;
                }
                for (qsizetype i = 0; i < numbers.size() && batch.elapsed() < BatchMilliseconds; ++i) {
                    refresher.refresh(numbers.at(i));
                    ++done;
                }
            }
            runStatement(m_db, QStringLiteral("COMMIT"), {}, operation);
        } catch (...) {
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
        if (progress)
            progress(done, std::max(total, done));
    }
}

void catchUpSearchIndex(const QString &path, const SearchIndex::Progress &progress, const std::atomic<bool> *cancel)
{
    const QString name = QStringLiteral("folio-search-%1").arg(workerCounter.fetchAndAddRelaxed(1));
    const QString operation = QStringLiteral("build the search index");
    try {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw StorageError(operation, db.lastError().text());
        runStatement(db, QStringLiteral("PRAGMA synchronous=FULL"), {}, operation);
        runStatement(db, QStringLiteral("PRAGMA trusted_schema=OFF"), {}, operation);
        SearchIndex index(db);
        {
            // Structures removed by another tool while the program runs are
            // put back, and rows written without the triggers are noted.
            Transaction transaction(db, operation);
            index.install();
            index.noteUnindexedRows();
            transaction.commit();
        }
        index.catchUp(progress, cancel);
        db.close();
    } catch (...) {
        QSqlDatabase::removeDatabase(name);
        throw;
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace folio
