#include "storage/historyschema.h"

#include "storage/storageerror.h"

#include <QSqlError>
#include <QSqlQuery>

namespace folio {

QStringList HistorySchema::statements()
{
    // Keep in step with resources/schema.sql. A save keeps the row it
    // replaces when the title or the text really changed and no version of
    // the document was kept in the ten minutes up to now: a burst of saves
    // keeps the state before the burst. "In the last ten minutes" is
    // now - 10:00 < KeptAt <= now: a version kept exactly ten minutes ago no
    // longer blocks, and one stamped in the future (a clock turned back)
    // never does. Versions written by other tools count as well.
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS DocHistory (\n"
                       "    HistNum INTEGER PRIMARY KEY AUTOINCREMENT,\n"
                       "    DocNum  INTEGER NOT NULL,\n"
                       "    DirNum  INTEGER NOT NULL,\n"
                       "    DocName TEXT    NOT NULL DEFAULT '',\n"
                       "    Text    TEXT    NOT NULL DEFAULT '',\n"
                       "    ChgDate TEXT    NOT NULL DEFAULT '',\n"
                       "    KeptAt  TEXT    NOT NULL DEFAULT (datetime('now')),\n"
                       "    Reason  TEXT    NOT NULL DEFAULT 'save' CHECK (Reason IN ('save', 'delete'))\n"
                       ")"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS DocHistory_Doc ON DocHistory (DocNum, KeptAt)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS DocHistory_Deleted ON DocHistory (KeptAt) WHERE Reason = 'delete'"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS DocTable_HistorySave AFTER UPDATE OF DocName, Text ON DocTable\n"
                       "WHEN (old.DocName IS NOT new.DocName OR old.Text IS NOT new.Text)\n"
                       "    AND NOT EXISTS (SELECT 1 FROM DocHistory WHERE DocNum = old.DocNum\n"
                       "        AND KeptAt > datetime('now', '-10 minutes') AND KeptAt <= datetime('now'))\n"
                       "BEGIN\n"
                       "    INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, ChgDate, KeptAt, Reason)\n"
                       "        VALUES (old.DocNum, old.DirNum, old.DocName, old.Text, old.ChgDate, datetime('now'), 'save');\n"
                       "END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS DocTable_HistoryDelete AFTER DELETE ON DocTable BEGIN\n"
                       "    INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, ChgDate, KeptAt, Reason)\n"
                       "        VALUES (old.DocNum, old.DirNum, old.DocName, old.Text, old.ChgDate, datetime('now'), 'delete');\n"
                       "END"),
    };
}

void HistorySchema::install(const QSqlDatabase &db)
{
    const QString operation = QStringLiteral("prepare the document history");
    for (const QString &statement : statements()) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw StorageError(operation, query.lastError().databaseText());
    }
}

} // namespace folio
