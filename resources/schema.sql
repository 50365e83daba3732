-- Folio Keeper knowledge base, schema version 1.
-- Kept to plain SQLite: no custom collations or functions in tables, indexes,
-- views or triggers, so the standard sqlite3 tool can read and write the file.
-- Name ordering (case-insensitive, locale-aware) is done by a collation that
-- the program registers on its own connection and names in its queries.

PRAGMA application_id = 1179601995;  -- 0x464F4C4B, "FOLK"
PRAGMA user_version = 1;

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
