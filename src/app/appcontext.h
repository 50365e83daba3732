#pragma once

namespace folio {

class AppState;
class Database;
class DocumentStore;
class FolderStore;
class MessageBoard;
class Notices;
class StatusPanel;

// What the panes of the main window share: the stores, the shared state and
// the ways to tell the user something. Owned by the main window.
struct AppContext
{
    Database &db;
    FolderStore &folders;
    DocumentStore &documents;
    AppState &state;
    MessageBoard &board;
    Notices &notices;
    StatusPanel &status;
};

} // namespace folio
