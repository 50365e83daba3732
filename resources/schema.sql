-- Folio Keeper knowledge base, schema version 3.
-- Kept to plain SQLite: no custom collations or functions in tables, indexes,
-- views or triggers, so the standard sqlite3 tool can read and write the file.
-- Name ordering (case-insensitive, locale-aware) is done by a collation that
-- the program registers on its own connection and names in its queries.

PRAGMA application_id = 1179601995;  -- 0x464F4C4B, "FOLK"
PRAGMA user_version = 3;

CREATE TABLE DirTable (
    DirNum  INTEGER PRIMARY KEY AUTOINCREMENT,
    DirName TEXT    NOT NULL DEFAULT 'New Folder',
    Attr    TEXT    NOT NULL DEFAULT 'R',   -- 'R' top-level, 'D' sub-folder
    Parent  INTEGER NOT NULL DEFAULT 0,     -- DirNum of the parent, 0 at the top
    Child   INTEGER NOT NULL DEFAULT 0      -- 1 only while a new row's key is read back
);

CREATE TABLE DocTable (
    DocNum  INTEGER PRIMARY KEY AUTOINCREMENT,
    DirNum  INTEGER NOT NULL,
    DocName TEXT    NOT NULL DEFAULT '',
    Text    TEXT    NOT NULL DEFAULT '',    -- the whole HTML page
    ChgDate TEXT    NOT NULL DEFAULT ''     -- MM-DD-YYYY HH:MM:SS, local time
);

-- Sub-folder lookups and the "is this folder empty" test.
CREATE INDEX DirTable_Parent ON DirTable (Parent);

-- Covers the document list query, so listing a folder never reads a body.
CREATE INDEX DocTable_Folder ON DocTable (DirNum, DocName, ChgDate);

-- The search index (the program keeps these statements in step, in
-- SearchIndex::schemaStatements). DocText holds each document's title and
-- visible text in search form, extracted by the program from the HTML;
-- DocTextIndex is a trigram index over it, finding any substring of three
-- or more characters. The triggers only note which DocTable rows changed,
-- so rows written by other tools are indexed before the next search.
CREATE TABLE DocText (
    DocNum INTEGER PRIMARY KEY,
    Title  TEXT NOT NULL DEFAULT '',
    Body   TEXT NOT NULL DEFAULT ''
);

CREATE VIRTUAL TABLE DocTextIndex USING fts5 (
    Title, Body, content = 'DocText', content_rowid = 'DocNum',
    tokenize = 'trigram case_sensitive 1', detail = full, columnsize = 0
);

CREATE TABLE DocTextPending (DocNum INTEGER PRIMARY KEY);

CREATE INDEX DocText_Num ON DocText (DocNum);

CREATE TRIGGER DocTable_TextInsert AFTER INSERT ON DocTable BEGIN
    INSERT INTO DocTextPending (DocNum) SELECT new.DocNum
        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = new.DocNum);
END;

CREATE TRIGGER DocTable_TextUpdate AFTER UPDATE OF DocNum, DocName, Text ON DocTable BEGIN
    INSERT INTO DocTextPending (DocNum) SELECT old.DocNum
        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = old.DocNum);
    INSERT INTO DocTextPending (DocNum) SELECT new.DocNum
        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = new.DocNum);
END;

CREATE TRIGGER DocTable_TextDelete AFTER DELETE ON DocTable BEGIN
    INSERT INTO DocTextPending (DocNum) SELECT old.DocNum
        WHERE NOT EXISTS (SELECT 1 FROM DocTextPending WHERE DocNum = old.DocNum);
END;

-- The document history (the program keeps these statements in step, in
-- HistorySchema::statements, and puts back at open whatever another tool
-- dropped). DocHistory keeps the versions a save replaced (Reason 'save') and
-- deleted documents (Reason 'delete'), KeptAt in UTC as YYYY-MM-DD HH:MM:SS.
-- A save keeps the row it replaces when the title or text really changed and
-- no version of the document was kept in the ten minutes up to now
-- (now - 10:00 < KeptAt <= now), so a burst of saves keeps the state before
-- it. The triggers run in the transaction of the change, for the program's
-- changes and for those of other tools alike.
CREATE TABLE IF NOT EXISTS DocHistory (
    HistNum INTEGER PRIMARY KEY AUTOINCREMENT,
    DocNum  INTEGER NOT NULL,
    DirNum  INTEGER NOT NULL,
    DocName TEXT    NOT NULL DEFAULT '',
    Text    TEXT    NOT NULL DEFAULT '',
    ChgDate TEXT    NOT NULL DEFAULT '',
    KeptAt  TEXT    NOT NULL DEFAULT (datetime('now')),
    Reason  TEXT    NOT NULL DEFAULT 'save' CHECK (Reason IN ('save', 'delete'))
);

CREATE INDEX IF NOT EXISTS DocHistory_Doc ON DocHistory (DocNum, KeptAt);

CREATE INDEX IF NOT EXISTS DocHistory_Deleted ON DocHistory (KeptAt) WHERE Reason = 'delete';

CREATE TRIGGER IF NOT EXISTS DocTable_HistorySave AFTER UPDATE OF DocName, Text ON DocTable
WHEN (old.DocName IS NOT new.DocName OR old.Text IS NOT new.Text)
    AND NOT EXISTS (SELECT 1 FROM DocHistory WHERE DocNum = old.DocNum
        AND KeptAt > datetime('now', '-10 minutes') AND KeptAt <= datetime('now'))
BEGIN
    INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, ChgDate, KeptAt, Reason)
        VALUES (old.DocNum, old.DirNum, old.DocName, old.Text, old.ChgDate, datetime('now'), 'save');
END;

CREATE TRIGGER IF NOT EXISTS DocTable_HistoryDelete AFTER DELETE ON DocTable BEGIN
    INSERT INTO DocHistory (DocNum, DirNum, DocName, Text, ChgDate, KeptAt, Reason)
        VALUES (old.DocNum, old.DirNum, old.DocName, old.Text, old.ChgDate, datetime('now'), 'delete');
END;
