#pragma once

// The model behind test_editsessions: what KB97.MDB must hold after what a
// user did in edit sessions, held against the rows read from the file.

#include "storage/types.h"
#include "support/testsupport.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <functional>

class QSqlDatabase;

namespace folio::test {

// Runs `read` on a connection of its own to KB97.MDB, as another tool would.
void readKnowledgeBase(const ProgramFolder &folder, const std::function<void(QSqlDatabase &)> &read);

struct Snapshot
{
    QMap<DocNum, QString> rows;   // each row's title and text
    qint64 sequence = 0;          // the highest DocNum ever given out
    bool read = false;
};
Snapshot readSnapshot(const ProgramFolder &folder);

// The words followed: typed ones (w<seed>n<step>z) and the seeded rows' own
// (k<row>t in a title, k<row>b in a text).
QSet<QString> wordsIn(const QString &text);

// What the document pane holds now.
struct PaneView
{
    bool editing = false;
    int session = 0;
    DocNum edited = 0;
    QString text;   // title and editor text
};

// Where the program decides (how an edit ended, which row a new document
// got) the model learns it from what it sees: an edit ended when the pane
// left it or began another; a new document's row is where its words are.
class EditSessionModel
{
public:
    // The rows before the first action: their words belong to them.
    void start(const Snapshot &first);
    void recordTyped(const PaneView &pane, const QString &word);
    // The user answered No or pressed Cancel for this edit: its words may go.
    void allowDrop(int session);
    // Delete Document runs in browse mode with these entries chosen.
    void allowDeletion(const QList<DocNum> &rows) { m_deletable = rows; }
    // The broken rule, or nothing.
    QString check(const Snapshot &now, const PaneView &pane);
    // How the edits ended, so that a run shows what it went through.
    QString summary() const;

private:
    enum class Fate { Open, Ended, Saved, Dropped };
    struct Session
    {
        DocNum row = 0;        // the row revised, or the new document's row once seen
        qint64 baseline = 0;   // rows above this number were created after the edit began
        QStringList words;
        bool mayDrop = false;
        Fate fate = Fate::Open;
    };
    using Places = QMap<QString, QList<DocNum>>;   // ordered: a rerun reports the same rule
    void followPane(const PaneView &pane, qint64 sequence);
    QString checkVanished(const Snapshot &now, const PaneView &pane);
    QString checkPlaces(const Places &places);
    QString checkSession(int id, Session &s, const Places &places, const PaneView &pane);
    QString checkChanged(const Snapshot &now) const;

    QMap<int, Session> m_sessions;
    int m_open = 0;
    QSet<int> m_endedNow;                  // edits seen ending in this check
    QMap<QString, DocNum> m_seedWords;     // word -> its seeded row
    QHash<QString, int> m_typedWords;      // word -> its edit
    QMap<DocNum, QString> m_rows;
    qint64 m_sequence = 0;
    QSet<DocNum> m_deleted;
    QList<DocNum> m_deletable;
};

} // namespace folio::test
