#include "app/mainwindow.h"

#include "app/colouroptions.h"
#include "app/helpactions.h"
#include "app/panecycle.h"
#include "doclist/documentactions.h"
#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/editoractions.h"
#include "editor/fontboxes.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "history/historyactions.h"
#include "layout/panearranger.h"
#include "maintenance/maintenanceactions.h"
#include "search/searchactions.h"
#include "search/searchindexbuilder.h"
#include "session/version.h"
#include "storage/recoveryfile.h"
#include "transfer/transferactions.h"
#include "tree/folderactions.h"
#include "tree/foldertree.h"
#include "widgets/accessiblenames.h"
#include "widgets/busyscope.h"
#include "widgets/colors.h"
#include "widgets/commands.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"
#include "widgets/statuspanel.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <cstdio>
#include <cstdlib>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QTextEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace folio {

namespace {

const QString StartupTip = QStringLiteral(
    "To add a new document, you can select Add New Document menu form Main Menu, right button menu or press "
    "the Add New Doucment button");

QToolBar *makeToolBar(const QString &name, QWidget *parent)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    return bar;
}

} // namespace

MainWindow::MainWindow(const QString &programDir, Prompts prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_session(programDir)
    , m_prompts(std::move(prompts))
    , m_status(new StatusPanel(this))
    , m_board(new MessageBoard(this))
    , m_notices(new Notices(*m_board, this))
    , m_context{m_session,  m_session.database(), m_session.folders(), m_session.documents(),
                m_state,    *m_board,             *m_notices,         *m_status,
                m_prompts}
{
    setObjectName(QStringLiteral("frmMain"));
    nameWindowsWhenShown();
    setStatusBar(m_status);
    // Before any pane hears of a replaced file, nothing is current any more.
    connect(&m_session, &Session::aboutToReopen, &m_state, &AppState::forgetCurrent);
    buildPanes();
    m_commands = new Commands(this);
    m_commands->populate(m_toolbarDir, m_toolbarDoc, menuBar());
    bindCommands();
    // One table says what each command may do in each mode; every button,
    // menu entry and shortcut is the same action and follows it.
    m_commands->setModeSource(&m_state);
    connect(&m_state, &AppState::commandModeChanged, m_commands, &Commands::applyMode);
    m_commands->applyMode(m_state.commandMode());
    m_tipTimer = new QTimer(this);
    m_tipTimer->setObjectName(QStringLiteral("Timer1"));
    m_tipTimer->setSingleShot(true);
    m_tipTimer->setInterval(1000);
    connect(m_tipTimer, &QTimer::timeout, this, &MainWindow::showStartupTip);
    resize(twips(8955), twips(5730) + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// The panes go while the state, the session and the board they use still
// exist (a member of this class dies before the children Qt deletes last);
// the command handlers that reach into the panes go before them.
MainWindow::~MainWindow()
{
    m_transferActions.reset();
    m_maintenanceActions.reset();
    m_editorActions.reset();
    m_documentActions.reset();
    m_folderActions.reset();
    delete m_central;
}

void MainWindow::buildPanes()
{
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(m_central);

    m_coolBar1 = new QWidget(m_central);
    m_coolBar1->setObjectName(QStringLiteral("CoolBar1"));
    m_toolbarDir = makeToolBar(QStringLiteral("ToolbarDir"), m_coolBar1);
    m_toolbarDoc = makeToolBar(QStringLiteral("ToolbarDoc"), m_coolBar1);
    auto *bands = new QHBoxLayout(m_coolBar1);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->addWidget(m_toolbarDir);
    bands->addWidget(m_toolbarDoc, 1);

    m_tree = new FolderTree(m_context, m_central);
    m_list = new DocumentList(m_context, m_central);
    m_pane = new DocumentPane(m_context, m_central);
    m_layout = new PaneArranger(m_state, m_central, {m_coolBar1, m_toolbarDir, m_tree, m_list, m_pane});

    connectPanes();
}

// The editing pane borrows the list and the document toolbar while it
// edits, and hands the list the document to select when it is done.
void MainWindow::connectPanes()
{
    connect(m_pane, &DocumentPane::editingFinished, m_list, &DocumentList::showAfterEditing);
    new PaneCycle(this, QList<QWidget *>{m_tree, m_list, m_pane->titleBox(), m_pane->editor()->textEdit()});
}

// Each area offers its commands; commands whose operations are not part of
// the program yet are left unbound and do nothing.
void MainWindow::bindCommands()
{
    m_folderActions = std::make_unique<FolderActions>(*m_tree, *m_commands);
    m_documentActions = std::make_unique<DocumentActions>(*m_list, *m_commands);
    m_editorActions = std::make_unique<EditorActions>(*m_pane);
    m_commands->bind(m_folderActions->bindings(), *m_notices);
    m_commands->bind(m_documentActions->bindings(), *m_notices);
    m_commands->bind(m_editorActions->bindings(), *m_notices);
    m_maintenanceActions = std::make_unique<MaintenanceActions>(m_context, this);
    m_commands->bind(m_maintenanceActions->bindings(), *m_notices);
    m_commands->bind((new HelpActions(*this))->bindings(), *m_notices);
    auto *search = new SearchActions(m_context, this);
    m_commands->bind(search->bindings(), *m_notices);
    m_commands->bind((new HistoryActions(m_context, this))->bindings(), *m_notices);
    m_transferActions = std::make_unique<TransferActions>(m_context, this);
    m_commands->bind(m_transferActions->bindings(), *m_notices);
    m_colourOptions = std::make_unique<ColourOptions>(programDir(), m_commands->action(QStringLiteral("MnuDarkColours")),
                                                      *m_notices);
    m_commands->bind(m_colourOptions->bindings(), *m_notices);
    // An import holds the file's write lock while it adds its rows: the
    // index builder waits for it instead of failing on the lock.
    SearchIndexBuilder &indexBuilder = search->indexBuilder();
    connect(m_transferActions.get(), &TransferActions::workStarting, &indexBuilder, &SearchIndexBuilder::stop);
    connect(m_transferActions.get(), &TransferActions::workEnded, &indexBuilder, &SearchIndexBuilder::startIfNeeded);
}

MainWindow::LoadResult MainWindow::load()
{
    m_state.setAppVersion(appVersion());
    setWindowTitle(QStringLiteral("Folio Keeper V") + m_state.appVersion());

    const Session::OpenOutcome opened = m_session.open(m_state.appVersion());
    if (!opened.ok()) {
        const int code = opened.status == SessionStart::AlreadyRunning ? ExitAlreadyRunning : ExitDatabaseProblem;
        return {false, code, opened.message};
    }
    m_state.setEditMode(EditMode::Browse);
    m_state.setCurrentDirNum(0);
    m_state.setCurrentDocNum(0);

    m_layout->initPaneLayout();
    m_pane->fontBoxes().fillFontBoxes();
    m_pane->setEditMode(EditMode::Browse);
    m_board->park(m_list->y() + m_central->y() + twips(100));
    {
        BusyScope busy(*m_status);
        m_tree->loadRootFolders();
        m_layout->arrangeAtLoad();
    }
    const Database &db = m_session.database();
    if (!db.isWritable())
        m_notices->failure(QStringLiteral("%1 cannot be written (the file or its folder is read-only): "
                                          "changes cannot be saved.")
                               .arg(db.filePath()));
    m_loaded = true;
    // Words kept from a run that was ended come before the tip.
    if (RecoveryFile(m_session.programDir()).isPending())
        m_pane->offerRecoveryLater();
    else
        m_tipTimer->start();
    return {true, 0, {}};
}

void MainWindow::relayout()
{
    m_layout->formResize();
}

void MainWindow::showStartupTip()
{
    relayout();
    m_board->showMessageBoard(BoardMode::Show, BoardButtons::Ok, StartupTip, InformColor);
}

void MainWindow::registerSecondaryWindow(QWidget *window)
{
    m_secondaryWindows.append(window);
}

bool MainWindow::endOnSignal()
{
    if (m_endingOnSignal)
        std::_Exit(0);
    const bool kept = !m_loaded || m_unloaded || m_pane->keepUnsavedForRecovery();
    if (!kept && !m_signalRefused) {
        // The words exist only in the window now: it stays open (the board
        // says why), and a second signal ends it without them.
        m_signalRefused = true;
        std::fprintf(stderr, "Folio Keeper: unsaved words could not be kept; not ending. A second signal ends "
                             "the program without them.\n");
        return false;
    }
    m_endedWithoutUnsaved = !kept;
    if (!kept)
        std::fprintf(stderr, "Folio Keeper: ended by a second signal; the unsaved words could not be kept.\n");
    m_endingOnSignal = true;
    unload();
    hide();
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Unsaved words are never dropped silently: the user decides, and a
    // save that is refused keeps the window open.
    if (m_loaded && !m_unloaded && !m_pane->confirmClose()) {
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

// Each step runs even when an earlier one failed: the settings are written
// and the other windows closed whatever happened to the database.
void MainWindow::unload()
{
    if (m_unloaded || !m_loaded)
        return;
    m_unloaded = true;
    m_tipTimer->stop();
    m_board->shutDown();
    for (const QPointer<QWidget> &window : std::as_const(m_secondaryWindows))
        if (window)
            window->close();
    m_session.close();
}

} // namespace folio
