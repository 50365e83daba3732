// Thinning of the document history, on a connection of its own.

#include "storage/historystore.h"

#include "storage/rawstatement.h"
#include "storage/sqlitefile.h"
#include "storage/storageerror.h"

#include <QElapsedTimer>
#include <algorithm>
#include <sqlite3.h>
#include <utility>

namespace folio {

namespace {

// How long one read or write holds its lock: short enough that a save on the
// program's connection waits no longer than a blink (it waits up to its busy
// timeout), long enough that commits do not dominate.
constexpr qint64 SliceMilliseconds = 200;
constexpr int BatchRows = 100;
// Rows looked at by one scan statement, so that a statement that finds few
// rows still ends soon.
constexpr qint64 ScanWindow = 2000;
// How long this connection waits for the program's changes.
constexpr int BusyMilliseconds = 5000;

// What no thinning removes, as a condition on a history row `h`: a version
// younger than :young, or the newest version of a document that exists
// (newest by KeptAt, then by number, as the lists order them).
const QString Removable = QStringLiteral(
    "h.KeptAt < :young AND (NOT EXISTS (SELECT 1 FROM DocTable d WHERE d.DocNum = h.DocNum) "
    "OR EXISTS (SELECT 1 FROM DocHistory n WHERE n.DocNum = h.DocNum AND n.KeptAt >= h.KeptAt "
    "AND (n.KeptAt > h.KeptAt OR n.HistNum > h.HistNum)))");

// A newer version of the same document in the same period (the first
// `prefix` characters of KeptAt: 10 a day, 7 a month) before `until`.
QString newerInSamePeriod(int prefix, const char *until)
{
    return QStringLiteral("EXISTS (SELECT 1 FROM DocHistory n WHERE n.DocNum = h.DocNum AND n.KeptAt >= h.KeptAt "
                          "AND n.KeptAt < %2 AND substr(n.KeptAt, 1, %1) = substr(h.KeptAt, 1, %1) "
                          "AND (n.KeptAt > h.KeptAt OR n.HistNum > h.HistNum))")
        .arg(prefix)
        .arg(QLatin1String(until));
}

// A document that is not in DocTable counts as deleted at its newest
// 'delete' entry, or without one (removed while the triggers were missing)
// at its newest version.
const QString DeletedLongAgo = QStringLiteral(
    "NOT EXISTS (SELECT 1 FROM DocTable d WHERE d.DocNum = h.DocNum) AND coalesce("
    "(SELECT max(g.KeptAt) FROM DocHistory g WHERE g.DocNum = h.DocNum AND g.Reason = 'delete'), "
    "(SELECT max(g.KeptAt) FROM DocHistory g WHERE g.DocNum = h.DocNum)) <= :gone");

QByteArray keptAtText(const QDateTime &now, int daysBack)
{
    return now.toUTC().addDays(-daysBack).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
}

class HistoryThinner
{
public:
    HistoryThinner(const QString &path, const QDateTime &now, const ThinningRules &rules,
                   const std::atomic<bool> *cancel)
        : m_file(path, SqliteFile::Access::ReadWrite, QStringLiteral("thin the document history")),
          m_young(keptAtText(now, rules.dailyAfterDays)), m_monthly(keptAtText(now, rules.monthlyAfterDays)),
          m_gone(keptAtText(now, rules.deletedKeepDays)), m_share(rules.shareOfFile), m_cancel(cancel)
    {
        sqlite3_busy_timeout(m_file.handle(), BusyMilliseconds);
        m_file.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        m_file.exec(QStringLiteral("PRAGMA trusted_schema=OFF"));
    }

    qint64 run()
    {
        if (!RawStatement::compiles(m_file.handle(), "SELECT HistNum, DocNum, KeptAt, Reason FROM DocHistory LIMIT 0"))
            return 0;  // a file from before the history: nothing to thin
        const QString daily = QStringLiteral("h.KeptAt >= :monthly AND ") + newerInSamePeriod(10, ":young");
        const QString monthly = QStringLiteral("h.KeptAt < :monthly AND ") + newerInSamePeriod(7, ":monthly");
        qint64 removed = 0;
        for (const QString &condition : {daily, monthly, DeletedLongAgo})
            removed += removeEach(candidates(condition), condition, false);
        if (m_share < 100 && !cancelled())
            removed += removeEach(candidates(QStringLiteral("1")), QStringLiteral("1"), true);
        return removed;
    }

private:
    bool cancelled() const { return m_cancel && m_cancel->load(); }

    void bindCutoffs(RawStatement &s) const
    {
        s.bind(":young", m_young);
        s.bind(":monthly", m_monthly);
        s.bind(":gone", m_gone);
    }

    // Reads `sql` (its first column the row's HistNum, restricted to
    // :after < HistNum <= :upto) over the whole table in short reads, each
    // of which ends its read lock.
    template<typename Row>
    void scan(const QString &sql, Row &&row)
    {
        const qint64 last = m_file.scalar(QStringLiteral("SELECT max(HistNum) FROM DocHistory")).toLongLong();
        const QByteArray text = sql.toUtf8();
        qint64 after = 0;
        while (after < last && !cancelled()) {
            RawStatement s(m_file.handle(), m_file.operation(), text.constData());
            bindCutoffs(s);
            s.bind(":after", after);
            s.bind(":upto", after + ScanWindow);
            QElapsedTimer slice;
            slice.start();
            qint64 seen = after + ScanWindow;
            while (s.next()) {
                row(s);
                if (slice.elapsed() >= SliceMilliseconds) {
                    seen = s.number(0);
                    break;
                }
            }
            after = seen;
        }
    }

    // The rows `condition` would remove now, oldest first.
    QList<qint64> candidates(const QString &condition)
    {
        std::vector<std::pair<QByteArray, qint64>> found;
        scan(QStringLiteral("SELECT h.HistNum, h.KeptAt FROM DocHistory h WHERE h.HistNum > :after "
                            "AND h.HistNum <= :upto AND %1 AND (%2) ORDER BY h.HistNum")
                 .arg(Removable, condition),
             [&](const RawStatement &s) {
                 found.emplace_back(QByteArray(s.bytes(1).data(), qsizetype(s.bytes(1).size())), s.number(0));
             });
        std::sort(found.begin(), found.end());
        QList<qint64> numbers;
        numbers.reserve(qsizetype(found.size()));
        for (const auto &entry : found)
            numbers.append(entry.second);
        return numbers;
    }

    // The bytes of the history's titles and texts.
    qint64 historyBytes()
    {
        qint64 total = 0;
        scan(QStringLiteral("SELECT HistNum, length(CAST(DocName AS BLOB)) + length(CAST(Text AS BLOB)) "
                            "FROM DocHistory WHERE HistNum > :after AND HistNum <= :upto ORDER BY HistNum"),
             [&](const RawStatement &s) { total += s.number(1); });
        return total;
    }

    bool overShare(qint64 history)
    {
        const qint64 file = m_file.scalar(QStringLiteral("PRAGMA page_count")).toLongLong()
            * m_file.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        return history * 100 > qint64(m_share) * file;
    }

    // Removes the rows `numbers` in that order, each only while `condition`
    // (and what no thinning removes) still holds for it inside the write
    // transaction: the program may have changed the history since they were
    // read. With `toShare`, stops once the history is within its share.
    qint64 removeEach(const QList<qint64> &numbers, const QString &condition, bool toShare)
    {
        qint64 history = toShare ? historyBytes() : 0;
        const QByteArray check =
            QStringLiteral("SELECT length(CAST(h.DocName AS BLOB)) + length(CAST(h.Text AS BLOB)) "
                           "FROM DocHistory h WHERE h.HistNum = :id AND %1 AND (%2)")
                .arg(Removable, condition)
                .toUtf8();
        qint64 removed = 0;
        qsizetype next = 0;
        while (next < numbers.size() && !cancelled()) {
            m_file.exec(QStringLiteral("BEGIN IMMEDIATE"));
            try {
                if (toShare && !overShare(history)) {
                    next = numbers.size();
                } else {
                    RawStatement removable(m_file.handle(), m_file.operation(), check.constData());
                    RawStatement erase(m_file.handle(), m_file.operation(),
                                       "DELETE FROM DocHistory WHERE HistNum = :id");
                    bindCutoffs(removable);
                    QElapsedTimer slice;
                    slice.start();
                    for (int n = 0; next < numbers.size() && n < BatchRows && slice.elapsed() < SliceMilliseconds;
                         ++n, ++next) {
                        removable.reset();
                        removable.bind(":id", numbers.at(next));
                        if (!removable.next())
                            continue;
                        history -= removable.number(0);
                        removable.reset();
                        erase.reset();
                        erase.bind(":id", numbers.at(next));
                        erase.next();
                        ++removed;
                        if (toShare && !overShare(history)) {
                            next = numbers.size();
                            break;
                        }
                    }
                }
                m_file.exec(QStringLiteral("COMMIT"));
            } catch (...) {
                sqlite3_exec(m_file.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        }
        return removed;
    }

    SqliteFile m_file;
    QByteArray m_young, m_monthly, m_gone;
    int m_share;
    const std::atomic<bool> *m_cancel;
};

} // namespace

qint64 thinHistory(const QString &path, const QDateTime &now, const ThinningRules &rules,
                   const std::atomic<bool> *cancel)
{
    return HistoryThinner(path, now, rules, cancel).run();
}

} // namespace folio
