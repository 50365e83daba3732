#include "app/mainwindow.h"

#include "app/colors.h"
#include "app/commands.h"
#include "app/messageboard.h"
#include "app/notices.h"
#include "app/settings.h"
#include "app/statuspanel.h"
#include "app/twips.h"
#include "app/version.h"
#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/fontboxes.h"
#include "layout/panelayout.h"
#include "tree/foldertree.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace folio {

namespace {

const QString StartupTip = QStringLiteral(
    "To add a new document, you can select Add New Document menu form Main Menu, right button menu or press "
    "the Add New Doucment button");

QToolBar *makeToolBar(const QString &name, QWidget *parent, Qt::Orientation orientation = Qt::Horizontal)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setOrientation(orientation);
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    return bar;
}

} // namespace

MainWindow::MainWindow(const QString &programDir, QWidget *parent)
    : QMainWindow(parent)
    , m_programDir(programDir)
    , m_db(programDir)
    , m_folders(m_db)
    , m_documents(m_db)
    , m_lock(programDir)
    , m_status(new StatusPanel(this))
    , m_board(new MessageBoard(this))
    , m_notices(new Notices(*m_board, this))
    , m_context{m_db, m_folders, m_documents, m_state, *m_board, *m_notices, *m_status}
{
    setObjectName(QStringLiteral("frmMain"));
    setStatusBar(m_status);
    buildPanes();
    m_commands = new Commands(this);
    m_commands->populate(m_toolbarDir, m_toolbarDoc, menuBar());
    connectCommands();
    m_tipTimer = new QTimer(this);
    m_tipTimer->setObjectName(QStringLiteral("Timer1"));
    m_tipTimer->setSingleShot(true);
    m_tipTimer->setInterval(1000);
    connect(m_tipTimer, &QTimer::timeout, this, &MainWindow::showStartupTip);
    resize(twips(8955), twips(5730) + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

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
    m_hSplitter = new QWidget(m_central);
    m_hSplitter->setObjectName(QStringLiteral("imgHspliter"));
    m_hSplitter->setCursor(Qt::SplitHCursor);
    m_vSplitter = new QWidget(m_central);
    m_vSplitter->setObjectName(QStringLiteral("imgVspliter"));
    m_vSplitter->setCursor(Qt::SplitVCursor);
    makeToolBar(QStringLiteral("ToolBar2"), m_hSplitter, Qt::Vertical);
    makeToolBar(QStringLiteral("Toolbar1"), m_vSplitter);

    connect(m_tree, &FolderTree::folderSelected, m_list, &DocumentList::loadDocumentList);
    connectDocumentPane();
}

// The pane asks; the main window lends it the list and the document toolbar.
void MainWindow::connectDocumentPane()
{
    m_pane->setListSelectionQuery([this] { return m_list->selectedEntry() != nullptr; });
    connect(m_list, &DocumentList::documentOpened, m_pane, &DocumentPane::loadDocument);
    connect(m_pane, &DocumentPane::browsingEnabled, this, [this](bool enabled) {
        m_list->setEnabled(enabled);
        enableToolbarButtons(m_toolbarDoc, enabled);
    });
    connect(m_pane, &DocumentPane::listReloadRequested, m_list, &DocumentList::loadDocumentList);
    connect(m_pane, &DocumentPane::documentStored, this, [this](DocNum num, const QString &title) {
        m_list->showCurrentDocument(num, title);
        m_pendingSelection = num;
    });
    // After a save the list is refilled; the stored document becomes its
    // selected entry.
    connect(m_pane, &DocumentPane::browsingEnabled, this, [this](bool enabled) {
        if (enabled && m_pendingSelection != 0)
            m_list->selectDocument(m_pendingSelection);
        m_pendingSelection = 0;
    });
    connect(&m_state, &AppState::editModeChanged, this, [this] {
        if (m_loaded)
            relayout();
    });
}

// Commands reach the panes here. Commands whose operations are not part of
// the program yet are left unconnected: they do nothing.
void MainWindow::connectCommands()
{
    auto run = [this](const QString &key, auto work) {
        connect(m_commands->action(key), &QAction::triggered, this, [this, work] { m_notices->guard(work); });
    };
    run(QStringLiteral("DocAdd"), [this] { m_pane->newDocument(); });
    run(QStringLiteral("DocChg"), [this] { m_pane->editDocument(); });
    m_tree->setFolderMenu(m_commands->folderMenu());
    m_list->setDocumentMenu(m_commands->documentMenu());
    auto *deleteDocuments = new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteDocuments, &QShortcut::activated, m_commands->action(QStringLiteral("DocDel")), &QAction::trigger);
    auto *deleteFolder = new QShortcut(QKeySequence::Delete, m_tree, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteFolder, &QShortcut::activated, m_commands->action(QStringLiteral("DirDel")), &QAction::trigger);
}

MainWindow::LoadResult MainWindow::load()
{
    m_state.setAppVersion(appVersion());
    setWindowTitle(QStringLiteral("Folio Keeper V") + m_state.appVersion());

    if (m_lock.acquire() == InstanceLock::Result::HeldByOther)
        return {false, ExitAlreadyRunning, QStringLiteral("I am running now, you need not to start me again")};

    m_state.setStoredVersion(SettingsFile(m_programDir).readVersion(m_state.appVersion()));
    m_state.setEditMode(0);

    const OpenResult opened = m_db.open();
    if (!opened.ok()) {
        m_lock.release();
        return {false, ExitDatabaseProblem, opened.message};
    }
    m_state.setCurrentDirNum(0);
    m_state.setCurrentDocNum(0);

    m_treeWidth = int(width() * 0.35);
    m_listHeight = (height() - m_coolBar1->sizeHint().height() - m_status->sizeHint().height()) / 2;
    relayout();
    m_pane->fontBoxes().fillFontBoxes();
    m_pane->setEditMode(0);
    m_board->park(m_list->y() + m_central->y() + twips(100));

    m_status->setDbStatus(1);
    m_tree->loadRootFolders();
    relayout();
    m_status->setDbStatus(0);

    if (!m_db.isWritable())
        m_notices->failure(QStringLiteral("%1 cannot be written (the file or its folder is read-only): "
                                          "changes cannot be saved.")
                               .arg(m_db.filePath()));
    m_loaded = true;
    m_tipTimer->start();
    return {true, 0, {}};
}

void MainWindow::relayout()
{
    const int barHeight = m_coolBar1->sizeHint().height();
    m_coolBar1->setGeometry(0, 0, m_central->width(), barHeight);
    PaneInputs in;
    in.area = QSize(m_central->width(), m_central->height() - barHeight);
    in.treeWidth = m_treeWidth;
    in.listHeight = m_listHeight;
    in.editMode = m_state.editMode() != 0;
    in.verticalBar = twips(195);
    in.horizontalBar = twips(225);
    const PaneGeometry g = computePaneLayout(in);
    const QPoint offset(0, barHeight);
    m_tree->setGeometry(g.tree.translated(offset));
    m_hSplitter->setGeometry(g.verticalBar.translated(offset));
    m_list->setVisible(!in.editMode);
    m_vSplitter->setVisible(!in.editMode);
    if (!in.editMode) {
        m_list->setGeometry(g.list.translated(offset));
        m_vSplitter->setGeometry(g.horizontalBar.translated(offset));
    }
    m_pane->setGeometry(g.frame.translated(offset));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_loaded)
        relayout();
}

void MainWindow::showStartupTip()
{
    relayout();
    m_board->showMessageBoard(1, MessageBoard::OkButton, StartupTip, InformColor);
}

void MainWindow::registerSecondaryWindow(QWidget *window)
{
    m_secondaryWindows.append(window);
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
    m_db.close();
    SettingsFile(m_programDir).writeVersion(m_state.storedVersion());
    for (const QPointer<QWidget> &window : std::as_const(m_secondaryWindows))
        if (window)
            window->close();
    m_lock.release();
}

} // namespace folio
