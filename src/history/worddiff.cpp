#include "history/worddiff.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <vector>

namespace folio {

namespace {

QStringList wordsOf(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\n|[^\\s]+"));
    QStringList words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words.append(it.next().captured());
    return words;
}

// Appends a word to the last run when it is of the same kind.
void append(QList<WordRun> &runs, WordRun::Kind kind, const QString &word)
{
    if (runs.isEmpty() || runs.last().kind != kind)
        runs.append(WordRun{kind, {}});
    runs.last().words.append(word);
}

// Myers' greedy search for the shortest edit script of a[0..n) into b[0..m).
// After each number of edits e it keeps the furthest reach of the diagonals
// k = -(e+1)..e+1 (slot k + e + 1), which is what the walk back needs.
// Gives up (empty) when more than `maxEdits` edits would be needed, or when
// the search would take too long for the window.
std::vector<std::vector<int>> editTrace(const std::vector<int> &a, const std::vector<int> &b, int maxEdits)
{
    constexpr qint64 WorkBudget = 50'000'000;  // steps of the search, well under a second
    const int n = int(a.size()), m = int(b.size());
    const int limit = int(std::min<qint64>({qint64(n) + m, maxEdits, WorkBudget / std::max(1, n + m)}));
    const int offset = limit + 1;
    std::vector<int> v(2 * limit + 3, 0);
    std::vector<std::vector<int>> trace;
    for (int d = 0; d <= limit; ++d) {
        for (int k = -d; k <= d; k += 2) {
            const bool down = k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]);
            int x = down ? v[offset + k + 1] : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y])
                ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m)
                return trace;  // the reach before this number of edits is all the walk back needs
        }
        trace.emplace_back(v.begin() + offset - d - 1, v.begin() + offset + d + 2);
    }
    return {{}};  // marks "gave up": a search that ended always returns what it found above
}

// Walks the trace back from the end and gives the runs in reading order.
QList<WordRun> runsFromTrace(const std::vector<std::vector<int>> &trace, const QStringList &a, const QStringList &b)
{
    struct Step
    {
        WordRun::Kind kind;
        QString word;
    };
    std::vector<Step> steps;
    int x = int(a.size()), y = int(b.size());
    for (int d = int(trace.size()); d > 0; --d) {
        const std::vector<int> &before = trace[d - 1];  // reach after d - 1 edits, diagonals -d..d
        auto reach = [&](int k) { return before[k + d]; };
        const int k = x - y;
        const bool down = k == -d || (k != d && reach(k - 1) < reach(k + 1));
        const int prevK = down ? k + 1 : k - 1;
        const int prevX = reach(prevK);
        const int prevY = prevX - prevK;
        while (x > prevX + (down ? 0 : 1) && y > prevY + (down ? 1 : 0)) {
            steps.push_back({WordRun::Kind::Same, a[--x]});
            --y;
        }
        if (down)
            steps.push_back({WordRun::Kind::Added, b[--y]});
        else
            steps.push_back({WordRun::Kind::Removed, a[--x]});
    }
    while (x > 0 && y > 0) {
        steps.push_back({WordRun::Kind::Same, a[--x]});
        --y;
    }
    QList<WordRun> runs;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        append(runs, it->kind, it->word);
    return runs;
}

} // namespace

QList<WordRun> diffWords(const QString &from, const QString &to, int maxEdits)
{
    const QStringList a = wordsOf(from), b = wordsOf(to);
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const QStringList midA = a.mid(head, a.size() - head - tail), midB = b.mid(head, b.size() - head - tail);

    QList<WordRun> runs;
    for (qsizetype i = 0; i < head; ++i)
        append(runs, WordRun::Kind::Same, a[i]);
    // Words compared as numbers: each distinct word gets one.
    QHash<QString, int> ids;
    std::vector<int> idsA, idsB;
    for (const QString &w : midA)
        idsA.push_back(ids.insert(w, ids.value(w, int(ids.size()))).value());
    for (const QString &w : midB)
        idsB.push_back(ids.insert(w, ids.value(w, int(ids.size()))).value());
    const auto trace = editTrace(idsA, idsB, maxEdits);
    const bool gaveUp = trace.size() == 1 && trace.front().empty();
    if (!gaveUp) {
        for (const WordRun &run : runsFromTrace(trace, midA, midB))
            for (const QString &w : run.words)
                append(runs, run.kind, w);
    } else {
        for (const QString &w : midA)
            append(runs, WordRun::Kind::Removed, w);
        for (const QString &w : midB)
            append(runs, WordRun::Kind::Added, w);
    }
    for (qsizetype i = a.size() - tail; i < a.size(); ++i)
        append(runs, WordRun::Kind::Same, a[i]);
    return runs;
}

QString diffHtml(const QList<WordRun> &runs)
{
    QString html;
    for (const WordRun &run : runs) {
        QString text;
        for (const QString &word : run.words)
            text += word == QLatin1String("\n") ? QStringLiteral("<br>") : word.toHtmlEscaped() + QLatin1Char(' ');
        switch (run.kind) {
        case WordRun::Kind::Same:
            html += text;
            break;
        case WordRun::Kind::Removed:
            html += QStringLiteral("<span style=\"color:#900000; text-decoration:line-through\">%1</span>").arg(text);
            break;
        case WordRun::Kind::Added:
            html += QStringLiteral("<span style=\"color:#006000; text-decoration:underline\">%1</span>").arg(text);
            break;
        }
    }
    return html;
}

} // namespace folio
