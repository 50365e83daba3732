#pragma once

#include "session/appstate.h"
#include "session/session.h"
#include "widgets/appcontext.h"
#include "widgets/prompts.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QTimer;
class QToolBar;

namespace folio {

class ColourOptions;
class Commands;
class DocumentActions;
class DocumentList;
class DocumentPane;
class EditorActions;
class FolderActions;
class MaintenanceActions;
class TransferActions;
class FolderTree;
class MessageBoard;
class Notices;
class PaneArranger;
class StatusPanel;

// The main window: creates the session, the panes, the commands and the
// message board and connects them. Each pane owns its behaviour.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const QString &programDir, Prompts prompts = Prompts::desktop(), QWidget *parent = nullptr);
    ~MainWindow() override;

    struct LoadResult
    {
        bool ok = false;
        int exitCode = 0;
        QString message;
    };
    // Exit codes of a start that cannot go on.
    static constexpr int ExitDatabaseProblem = 1;
    static constexpr int ExitAlreadyRunning = 2;
    static constexpr int ExitUnsavedLost = 3;

    // The load: refuses a second copy, reads the settings, opens the
    // database and fills the tree. On failure nothing has been written.
    LoadResult load();

    AppContext &context() { return m_context; }
    AppState &state() { return m_state; }
    Session &session() { return m_session; }
    Database &database() { return m_session.database(); }
    MessageBoard &board() { return *m_board; }
    FolderTree &folderTree() { return *m_tree; }
    DocumentList &documentList() { return *m_list; }
    DocumentPane &documentPane() { return *m_pane; }
    Commands &commands() { return *m_commands; }
    PaneArranger &paneLayout() { return *m_layout; }
    QString programDir() const { return m_session.programDir(); }
    // Where the template and the manual are read: the program folder, or
    // the shared folder of a system install.
    QString resourceDir() const { return m_resourceDir.isEmpty() ? programDir() : m_resourceDir; }
    void setResourceDir(const QString &dir) { m_resourceDir = dir; }

    // SIGTERM or SIGINT: unloads at once, without a question; unsaved words
    // go to the recovery file first. True when the caller should end the
    // event loop (exit code 0, or ExitUnsavedLost after a second signal
    // while the words could not be kept); false when the window stays
    // open because the unsaved words could not be kept (the board says
    // so). A call after the unload ends the process outright.
    bool endOnSignal();
    bool endedWithoutUnsavedWords() const { return m_endedWithoutUnsaved; }

    // Windows of the program besides this one; the unload closes them.
    void registerSecondaryWindow(QWidget *window);
    // Lays out every pane from the current free sizes and mode.
    void relayout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPanes();
    void connectPanes();
    void bindCommands();
    void showStartupTip();
    void unload();

    Session m_session;
    AppState m_state;
    Prompts m_prompts;
    StatusPanel *m_status;
    MessageBoard *m_board;
    Notices *m_notices;
    AppContext m_context;

    QWidget *m_central;
    QWidget *m_coolBar1;
    QToolBar *m_toolbarDir;
    QToolBar *m_toolbarDoc;
    FolderTree *m_tree;
    DocumentList *m_list;
    DocumentPane *m_pane;
    PaneArranger *m_layout;
    Commands *m_commands;
    std::unique_ptr<FolderActions> m_folderActions;
    std::unique_ptr<DocumentActions> m_documentActions;
    std::unique_ptr<EditorActions> m_editorActions;
    std::unique_ptr<MaintenanceActions> m_maintenanceActions;
    std::unique_ptr<TransferActions> m_transferActions;
    std::unique_ptr<ColourOptions> m_colourOptions;
    QTimer *m_tipTimer;
    QList<QPointer<QWidget>> m_secondaryWindows;
    QString m_resourceDir;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_endingOnSignal = false;
    bool m_signalRefused = false;   // a signal came while unsaved words could not be kept
    bool m_endedWithoutUnsaved = false;
};

} // namespace folio
