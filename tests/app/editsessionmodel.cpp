#include "editsessionmodel.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace folio::test {

void readKnowledgeBase(const ProgramFolder &folder, const std::function<void(QSqlDatabase &)> &read)
{
    const QString name = QStringLiteral("edit-sessions-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(folder.file(QStringLiteral("KB97.MDB")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open())
            read(db);
    }
    QSqlDatabase::removeDatabase(name);
}

Snapshot readSnapshot(const ProgramFolder &folder)
{
    Snapshot now;
    readKnowledgeBase(folder, [&](QSqlDatabase &db) {
        QSqlQuery rows(db), sequence(db);
        now.read = rows.exec(QStringLiteral("SELECT DocNum, DocName || char(10) || Text FROM DocTable"))
            && sequence.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'DocTable'"));
        while (rows.next())
            now.rows.insert(rows.value(0).toLongLong(), rows.value(1).toString());
        if (sequence.next())
            now.sequence = sequence.value(0).toLongLong();
    });
    return now;
}

QSet<QString> wordsIn(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\b(?:w\\d+n\\d+z|k\\d+[tb])\\b"));
    QSet<QString> words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words.insert(it.next().captured());
    return words;
}

void EditSessionModel::start(const Snapshot &first)
{
    for (auto it = first.rows.cbegin(); it != first.rows.cend(); ++it)
        for (const QString &word : wordsIn(*it))
            m_seedWords.insert(word, it.key());
    m_rows = first.rows;
    m_sequence = first.sequence;
}

void EditSessionModel::recordTyped(const PaneView &pane, const QString &word)
{
    followPane(pane, m_sequence);
    m_sessions[pane.session].words.append(word);
    m_typedWords.insert(word, pane.session);
}

void EditSessionModel::allowDrop(int session)
{
    if (m_sessions.contains(session))
        m_sessions[session].mayDrop = true;
}

// No edit can begin and be saved without a tick in between, so the sequence
// read now is the one the edit began with.
void EditSessionModel::followPane(const PaneView &pane, qint64 sequence)
{
    if (m_open != 0 && (!pane.editing || pane.session != m_open)) {
        m_sessions[m_open].fate = Fate::Ended;
        m_endedNow.insert(std::exchange(m_open, 0));
    }
    if (pane.editing && m_open == 0) {
        m_open = pane.session;
        m_sessions[m_open].row = pane.edited;
        m_sessions[m_open].baseline = sequence;
    }
}

QString EditSessionModel::check(const Snapshot &now, const PaneView &pane)
{
    followPane(pane, now.sequence);
    Places places;
    for (auto it = now.rows.cbegin(); it != now.rows.cend(); ++it)
        for (const QString &word : wordsIn(*it))
            places[word].append(it.key());
    QString broken = checkVanished(now, pane);
    if (broken.isEmpty())
        broken = checkPlaces(places);
    for (auto it = m_sessions.begin(); it != m_sessions.end() && broken.isEmpty(); ++it)
        broken = checkSession(it.key(), it.value(), places, pane);
    if (broken.isEmpty())
        broken = checkChanged(now);
    m_rows = now.rows;
    m_sequence = now.sequence;
    m_endedNow.clear();
    return broken;
}

QString EditSessionModel::checkVanished(const Snapshot &now, const PaneView &pane)
{
    for (DocNum row : m_rows.keys()) {
        if (now.rows.contains(row))
            continue;
        if (pane.editing && pane.edited == row)
            return QString("row %1 was deleted while it was being revised").arg(row);
        if (!m_deletable.contains(row))
            return QString("row %1 disappeared without Delete Document in browse mode").arg(row);
        m_deleted.insert(row);
    }
    return {};
}

// Every word is in one row at most, and only in a row it belongs to; the
// seeded rows keep their words.
QString EditSessionModel::checkPlaces(const Places &places)
{
    for (auto it = places.cbegin(); it != places.cend(); ++it) {
        const QString &word = it.key();
        const DocNum row = it->first();
        if (it->size() > 1)
            return QString("%1 is in rows %2 and %3").arg(word).arg(row).arg(it->at(1));
        if (m_seedWords.contains(word)) {
            if (m_seedWords.value(word) != row)
                return QString("row %1 holds %2 of row %3").arg(row).arg(word).arg(m_seedWords.value(word));
            continue;
        }
        if (!m_typedWords.contains(word))
            return QString("row %1 holds %2, which never entered the pane in an edit").arg(row).arg(word);
        const int id = m_typedWords.value(word);
        Session &s = m_sessions[id];
        if (s.row == 0 && row <= s.baseline)
            return QString("%1, typed in new document %2, is in the older row %3").arg(word).arg(id).arg(row);
        if (s.row != 0 && s.row != row)
            return QString("%1, typed in edit %2 of row %3, is in row %4").arg(word).arg(id).arg(s.row).arg(row);
        s.row = row;
    }
    for (auto it = m_seedWords.cbegin(); it != m_seedWords.cend(); ++it)
        if (!m_deleted.contains(it.value()) && !places.contains(it.key()))
            return QString("row %1 lost its word %2").arg(it.value()).arg(it.key());
    return {};
}

// The words of the open edit stay in the pane; those of an ended one are all
// in its row (saved) or, after No or Cancel, may all be gone for good.
QString EditSessionModel::checkSession(int id, Session &s, const Places &places, const PaneView &pane)
{
    if (s.fate == Fate::Open) {
        const QSet<QString> shown = wordsIn(pane.text);
        for (const QString &word : std::as_const(s.words))
            if (!shown.contains(word))
                return QString("%1, typed in the open edit %2, is no longer in the pane").arg(word).arg(id);
        return {};
    }
    const auto isStored = [&](const QString &word) { return places.contains(word); };
    const int stored = int(std::count_if(s.words.cbegin(), s.words.cend(), isStored));
    const bool rowDeleted = m_deleted.contains(s.row);
    if (stored > 0 && s.fate == Fate::Dropped)
        return QString("the words of edit %1, let go by No or Cancel, are back in row %2").arg(id).arg(s.row);
    if (stored > 0 && stored < s.words.size() && !rowDeleted)
        return QString("row %1 holds %2 of the %3 words of edit %4").arg(s.row).arg(stored).arg(s.words.size()).arg(id);
    if (stored > 0) {
        s.fate = Fate::Saved;
    } else if (!s.words.isEmpty() && !rowDeleted) {
        if (s.fate == Fate::Saved)
            return QString("the saved words of edit %1 are gone from row %2").arg(id).arg(s.row);
        if (!s.mayDrop)
            return QString("the words of edit %1 (%2) are gone; the user never said No or Cancel to it")
                .arg(id).arg(s.words.join(' '));
        s.fate = Fate::Dropped;
    }
    return {};
}

// A row changes, and a new row appears, only by the save of an edit of it
// that has just ended (and did not lose its words: that one was let go).
QString EditSessionModel::checkChanged(const Snapshot &now) const
{
    const auto savedNow = [&](int id) {
        const Session &s = m_sessions[id];
        return s.fate == Fate::Saved || (s.fate == Fate::Ended && s.words.isEmpty());
    };
    for (auto it = now.rows.cbegin(); it != now.rows.cend(); ++it) {
        const auto before = m_rows.constFind(it.key());
        const bool saved = std::any_of(m_endedNow.cbegin(), m_endedNow.cend(),
                                       [&](int id) { return m_sessions[id].row == it.key() && savedNow(id); });
        if (before == m_rows.cend() && !saved)
            return QString("row %1 appeared without a new document saved").arg(it.key());
        if (before != m_rows.cend() && *before != *it && !saved)
            return QString("row %1 changed without a save of an edit of it").arg(it.key());
    }
    return {};
}

// How the edits ended, so that a run shows what it went through.
QString EditSessionModel::summary() const
{
    int saved = 0, dropped = 0, words = 0;
    for (const Session &s : m_sessions) {
        saved += s.fate == Fate::Saved;
        dropped += s.fate == Fate::Dropped;
        words += int(s.words.size());
    }
    return QString("%1 edits (%2 saved with words, %3 let go), %4 words typed, %5 rows deleted")
        .arg(m_sessions.size()).arg(saved).arg(dropped).arg(words).arg(m_deleted.size());
}

} // namespace folio::test
