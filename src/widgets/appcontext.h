#pragma once

namespace folio {

class AppState;
class Database;
class DocumentStore;
class FolderStore;
class MessageBoard;
class Notices;
class Session;
class StatusPanel;
struct Prompts;

// What the panes share: the session and its stores, the shared state, the
// ways to tell the user something and the blocking questions. Owned by the
// main window (or a test's pane fixture). The database and the stores stay
// the same objects when the session reopens the file.
struct AppContext
{
    Session &session;
    Database &db;
    FolderStore &folders;
    DocumentStore &documents;
    AppState &state;
    MessageBoard &board;
    Notices &notices;
    StatusPanel &status;
    Prompts &prompts;
};

} // namespace folio
