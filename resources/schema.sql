-- Folio Keeper knowledge base, schema version 2.
-- Kept to plain SQLite: no custom collations or functions in tables, indexes,
-- views or triggers, so the standard sqlite3 tool can read and write the file.
-- Name ordering (case-insensitive, locale-aware) is done by a collation that
-- the program registers on its own connection and names in its queries.

PRAGMA application_id = 1179601995;  -- 0x464F4C4B, "FOLK"
PRAGMA user_version = 2;

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
