// Edit sessions under a random user: the real main window is driven through
// a seeded random sequence of clicks, keys and board answers, and after
// every step KB97.MDB (read over a connection of its own) is held against a
// model of what the user wrote:
//  - a word typed in an edit lands only in the row of that edit (a new
//    document's words only in a row created after the edit began), and no
//    row ever holds another row's title or text;
//  - no typed word disappears unless the user answered No to the save
//    question, pressed Cancel, or deleted its row in browse mode; no row
//    disappears or changes otherwise.
// A failure names the seed, the step, the broken rule and the last actions.
// The rules live in editsessionmodel.h; this file plays the user.
//
//   FOLIO_EDIT_SEED=<n>   runs only seed n (to reproduce a failure)
//   FOLIO_EDIT_SEEDS=<n>  how many seeds, counted from a fixed base (default 6)
//   FOLIO_EDIT_STEPS=<n>  actions per seed (default 150)
//
// A question on the message board waits in a nested event loop: the call that
// asked returns only once it is answered, while the window keeps working. So
// the actions run from timer ticks, and ticks go on firing while an action
// waits, as a user's clicks arrive.

#include "editsessionmodel.h"

#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "support/panefixture.h"
#include "tree/folderdragdrop.h"
#include "tree/foldertree.h"
#include "widgets/dragpayload.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScopedValueRollback>
#include <QSqlQuery>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>

using namespace folio;
using namespace folio::test;

namespace {

constexpr quint32 BaseSeed = 4100;
constexpr int DefaultSeeds = 6;
constexpr int DefaultSteps = 150;
constexpr qint64 LongestSeedMs = 120000;   // a seed running longer is stuck

// Plays the user: one action per timer tick, checking the model before each.
class EditDriver : public QObject
{
public:
    // What a user may do, with one weight in browse mode and one while
    // editing, so that most steps do something (a few still try what the
    // mode forbids).
    struct Action
    {
        int browseWeight, editWeight;
        void (EditDriver::*run)();
    };

    // Starts playing at once.
    EditDriver(MainWindow &window, const ProgramFolder &folder, ScriptedPrompts &script, quint32 seed, int steps);
    bool finished() const { return m_finished; }
    // Closes the window answering No to the save question, then checks once more.
    void closeWindow();
    QString failure() const { return m_failure; }
    QString summary() const { return m_model.summary() + QString(", %1 questions").arg(m_questions); }

    void clickFolder();
    void clickDocument();
    void findDocument();
    void addDocument() { runCommand("DocAdd"); }
    void reviseDocument() { runCommand("DocChg"); }
    void deleteDocument();
    void exportDocument();
    void typeText() { typeInto(m_window.documentPane().editor()->textEdit()); }
    void typeTitle() { typeInto(m_window.documentPane().titleBox()); }
    void save() { runCommand("DocSave"); }
    void cancel();
    void answerBoard();
    void leaveTipWaiting();
    void dropDocuments();
    void compact() { runCommand("DbCompact"); }

protected:
    // Notes the edit each question about unsaved words was asked for.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();
    const Action &pickAction();
    void unwind();
    bool checkNow();
    void log(const QString &what);
    PaneView paneView() const;
    int pick(qsizetype count) { return int(m_random.bounded(quint32(count))); }
    void runCommand(const char *key);
    bool keyboardInMainWindow();
    void typeInto(QWidget *box);
    void answer(const QString &button);
    bool boardShows(const QString &button) const;
    QString boardText() const { return m_window.board().findChild<QLabel *>("lblmessageBoard")->text(); }

    MainWindow &m_window;
    const ProgramFolder &m_folder;
    ScriptedPrompts &m_script;
    EditSessionModel m_model;
    QRandomGenerator m_random;
    QElapsedTimer m_clock;
    quint32 m_seed;
    int m_steps;
    int m_step = 0;
    int m_depth = 0;         // actions that have not returned yet
    int m_tipsWaiting = 0;   // tips shown (or about to be) and not answered
    std::optional<int> m_question;
    int m_questions = 0;
    QStringList m_recent;
    QString m_failure;
    bool m_finished = false;
};

using Action = EditDriver::Action;

const QList<Action> &actions()
{
    static const QList<Action> table = {
        {8, 6, &EditDriver::clickFolder},     {14, 2, &EditDriver::clickDocument},
        {7, 6, &EditDriver::findDocument},    {8, 4, &EditDriver::addDocument},
        {12, 2, &EditDriver::reviseDocument}, {3, 4, &EditDriver::deleteDocument},
        {2, 1, &EditDriver::exportDocument},  {2, 20, &EditDriver::typeText},
        {1, 10, &EditDriver::typeTitle},      {1, 8, &EditDriver::save},
        {1, 3, &EditDriver::cancel},          {1, 1, &EditDriver::answerBoard},
        {2, 2, &EditDriver::leaveTipWaiting}, {4, 1, &EditDriver::dropDocuments},
        {2, 2, &EditDriver::compact},
    };
    return table;
}

EditDriver::EditDriver(MainWindow &window, const ProgramFolder &folder, ScriptedPrompts &script, quint32 seed, int steps)
    : m_window(window), m_folder(folder), m_script(script), m_random(seed), m_seed(seed), m_steps(steps)
{
    m_window.board().installEventFilter(this);
    // Each look at the clock is ten seconds later: the guard against a drop
    // right after a click in the tree is not what this test is about.
    m_window.folderTree().dragDrop().setClock([now = qint64(0)]() mutable { return now += 10000; });
    m_model.start(readSnapshot(m_folder));
    m_clock.start();
    QTimer::singleShot(0, this, &EditDriver::tick);
}

// The next tick is due before this one acts: should the action wait on the
// board, the next ticks come inside that wait.
void EditDriver::tick()
{
    if (m_finished)
        return;
    QTimer::singleShot(0, this, &EditDriver::tick);
    if (m_failure.isEmpty() && m_clock.elapsed() > LongestSeedMs)
        m_failure = QString("seed %1 did not end within %2 ms").arg(m_seed).arg(LongestSeedMs);
    if (m_window.state().isBusy()) {
        // The window takes no input while the file is worked on, but a
        // message shown meanwhile waits in a loop of its own that does.
        if (m_window.board().isWaiting())
            m_failure.isEmpty() ? answerBoard() : unwind();
        return;
    }
    if (!m_failure.isEmpty() || m_step >= m_steps || !checkNow())
        return unwind();
    ++m_step;
    const QScopedValueRollback<int> nested(m_depth, m_depth + 1);
    (this->*pickAction().run)();
}

const Action &EditDriver::pickAction()
{
    const bool editing = m_window.state().isEditing();
    const bool waiting = m_window.board().isWaiting();
    auto weight = [&](const Action &a) {
        if (a.run == &EditDriver::answerBoard && waiting)
            return 20;
        return editing ? a.editWeight : a.browseWeight;
    };
    int roll = 0;
    for (const Action &a : actions())
        roll += weight(a);
    roll = pick(roll);
    for (const Action &a : actions())
        if ((roll -= weight(a)) < 0)
            return a;
    return actions().last();
}

// After the last step (or a failure) every waiting message is cancelled or
// acknowledged, until nothing waits and no action is still running.
void EditDriver::unwind()
{
    if (m_window.board().isWaiting())
        return answer(boardShows("picCancel") ? "picCancel" : "picOK");
    if (m_depth > 0 || m_tipsWaiting > 0 || m_window.board().isBusy()
        || m_window.context().notices.pendingCount() > 0)
        return;
    if (m_failure.isEmpty())
        checkNow();
    m_finished = true;
}

void EditDriver::closeWindow()
{
    QTimer answerer;
    answerer.callOnTimeout(this, [this] {
        if (m_window.board().isWaiting())
            answer(boardShows("picNo") ? "picNo" : "picOK");
    });
    answerer.start(1);
    log("close the window");
    m_window.close();
    if (m_failure.isEmpty())
        checkNow();
}

bool EditDriver::checkNow()
{
    const Snapshot now = readSnapshot(m_folder);
    const QString broken = now.read ? m_model.check(now, paneView()) : QString("KB97.MDB could not be read");
    if (!broken.isEmpty() && m_failure.isEmpty())
        m_failure = QString("seed %1, after step %2: %3\nlast actions:\n  %4")
                        .arg(m_seed).arg(m_step).arg(broken, m_recent.join("\n  "));
    return broken.isEmpty();
}

// One line per action; '>' marks each board wait the action runs inside.
void EditDriver::log(const QString &what)
{
    m_recent.append(QString("%1%2: %3").arg(m_step).arg(QString(qMax(0, m_depth - 1), '>'), what));
    if (m_recent.size() > 30)
        m_recent.removeFirst();
}

PaneView EditDriver::paneView() const
{
    const DocumentPane &pane = m_window.documentPane();
    return {m_window.state().isEditing(), pane.editSession(), pane.editedDocument(),
            pane.titleBox()->text() + '\n' + pane.editor()->textEdit()->toPlainText()};
}

bool EditDriver::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        const bool unsaved = boardText().contains("changes that are not saved") && m_window.state().isEditing();
        m_question = unsaved ? std::optional<int>(m_window.documentPane().editSession()) : std::nullopt;
        m_questions += unsaved;
    }
    return QObject::eventFilter(watched, event);
}

bool EditDriver::boardShows(const QString &button) const
{
    const auto *label = m_window.board().findChild<QLabel *>(button);
    return label && label->isVisible();
}

void EditDriver::answer(const QString &button)
{
    log(QString("answer %1 to \"%2\"").arg(button, boardText().left(40)));
    if (button == "picNo" && m_question)
        m_model.allowDrop(*m_question);
    clickNamed(&m_window.board(), button);
}

// A command the way a user reaches it: its toolbar button (a disabled one
// ignores the click), its menu entry (only an enabled one can be chosen) or
// its shortcut (Qt ignores a disabled one).
void EditDriver::runCommand(const char *key)
{
    auto *action = m_window.findChild<QAction *>(key);
    QWidget *button = nullptr;
    for (QToolBar *bar : m_window.findChildren<QToolBar *>())
        button = button ? button : bar->widgetForAction(action);
    const QList<QAction *> menus = m_window.menuBar()->actions();
    const bool inMenu = std::any_of(menus.cbegin(), menus.cend(),
                                    [&](QAction *menu) { return menu->menu()->actions().contains(action); });
    QStringList ways;
    if (button)
        ways << "button";
    if (inMenu)
        ways << "menu";
    if (!action->shortcut().isEmpty())
        ways << "shortcut";
    const QString way = ways.at(pick(ways.size()));
    log(QString("%1 by %2%3").arg(key, way, action->isEnabled() ? "" : " (disabled)"));
    if (way == "button")
        QTest::mouseClick(button, Qt::LeftButton);
    else if (way == "menu" && action->isEnabled())
        action->trigger();
    else if (way == "shortcut" && keyboardInMainWindow())
        QTest::keySequence(&m_window, action->shortcut());
}

// Shortcuts reach the active window only. When the find dialog is active the
// user first clicks into the main window; the activation comes through the
// event loop, so the keys wait for a later step.
bool EditDriver::keyboardInMainWindow()
{
    if (QApplication::activeWindow() == &m_window)
        return true;
    log("the main window is not active: click into it");
    m_window.activateWindow();
    return false;
}

void EditDriver::clickFolder()
{
    FolderTree &tree = m_window.folderTree();
    const QModelIndex node = tree.model()->index(pick(tree.model()->rowCount()), 0);
    log("click folder " + node.data().toString());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(node).center());
}

// The list is hidden and disabled while editing: the click then does nothing.
void EditDriver::clickDocument()
{
    DocumentList &list = m_window.documentList();
    if (list.topLevelItemCount() == 0)
        return log("click in the empty list");
    QTreeWidgetItem *entry = list.topLevelItem(pick(list.topLevelItemCount()));
    log(QString("click list entry %1").arg(DocumentList::docNumOf(entry)));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(entry).center());
}

// Finds a seeded document by its title word and double-clicks the first
// result (while the index is built the find key is disabled and the list
// keeps the last results).
void EditDriver::findDocument()
{
    runCommand("DocFind");
    auto *dialog = m_window.findChild<QDialog *>("frmFindDoc");
    if (!dialog || !dialog->isVisible())
        return;
    auto *query = dialog->findChild<QLineEdit *>("txtQuery1");
    auto *results = dialog->findChild<QTreeWidget *>("ListView1");
    const QString word = QString("k%1t").arg(1 + pick(8));
    QTest::keyClick(query, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(query, word);
    QTest::mouseClick(dialog->findChild<QWidget *>("cmdFind"), Qt::LeftButton);
    if (results->topLevelItemCount() == 0)
        return log(QString("find %1: nothing").arg(word));
    QTreeWidgetItem *first = results->topLevelItem(0);
    log(QString("find %1, open %2").arg(word, first->text(1)));
    const QPoint place = results->visualItemRect(first).center();
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, place);
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, place);
}

// Rows may go only by this command in browse mode, and only the chosen ones.
void EditDriver::deleteDocument()
{
    DocumentList &list = m_window.documentList();
    m_model.allowDeletion(m_window.state().isEditing() ? QList<DocNum>() : list.selectedDocNums());
    if (pick(3) == 0) {
        log("Delete key in the list");
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Delete);
    } else {
        runCommand("DocDel");
    }
    checkNow();
    m_model.allowDeletion({});
}

void EditDriver::exportDocument()
{
    m_script.saveFileNames = {m_folder.file("export.htm")};
    runCommand("DocExport");
}

// A word counts as written only when it entered the pane (in browse mode
// the editor and the title are read-only), and a title keeps its limit.
void EditDriver::typeInto(QWidget *box)
{
    auto *title = qobject_cast<TitleBox *>(box);
    auto *edit = qobject_cast<QTextEdit *>(box);
    auto text = [&] { return title ? title->text() : edit->toPlainText(); };
    const QString word = QString("w%1n%2z").arg(m_seed).arg(m_step);
    if (title && title->text().size() + word.size() + 1 > TitleBox::MaxLength)
        return log("the title is full");
    QTest::keyClick(box, Qt::Key_End, title ? Qt::NoModifier : Qt::ControlModifier);
    QTest::keyClicks(box, ' ' + word);
    const bool entered = wordsIn(text()).contains(word);
    log(QString("type %1 into the %2%3").arg(word, title ? "title" : "text", entered ? "" : " (not taken)"));
    if (entered)
        m_model.recordTyped(paneView(), word);
}

void EditDriver::cancel()
{
    if (m_window.state().isEditing())
        m_model.allowDrop(m_window.documentPane().editSession());
    runCommand("DocCancel");
}

// Yes, No, Cancel or OK, whichever the board shows, or leave it waiting.
void EditDriver::answerBoard()
{
    if (!m_window.board().isWaiting())
        return log("nothing waits on the board");
    QStringList buttons;
    for (const char *name : {"picYes", "picNo", "picCancel", "picOK"})
        if (boardShows(name))
            buttons << name;
    const int choice = pick(buttons.size() + 1);
    if (choice == buttons.size())
        return log("leave the board waiting");
    answer(buttons.at(choice));
}

// A message waiting for OK, as the start-up tip does, shown from a timer so
// that this action returns at once.
void EditDriver::leaveTipWaiting()
{
    log("a tip shows");
    ++m_tipsWaiting;
    QTimer::singleShot(0, this, [this] {
        m_window.board().inform("Tip: documents are saved with the Save key.");
        --m_tipsWaiting;
    });
}

// The chosen documents dragged from the list (shown in browse mode only) and
// dropped onto a folder of the tree.
void EditDriver::dropDocuments()
{
    const QList<DocNum> docs = m_window.documentList().selectedDocNums();
    if (m_window.state().isEditing() || docs.isEmpty())
        return log("no documents to drag");
    FolderTree &tree = m_window.folderTree();
    const QModelIndex node = tree.model()->index(pick(tree.model()->rowCount()), 0);
    log(QString("drop %1 documents onto %2").arg(docs.size()).arg(node.data().toString()));
    std::unique_ptr<QMimeData> data(documentsMimeData(tree.dragDrop().base(), docs));
    const QPoint at = tree.visualRect(node).center();
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.viewport(), &move);
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.viewport(), &drop);
}

// Three folders with two or three documents each; every title and text
// holds a word of its own.
std::unique_ptr<ProgramFolder> seededFolder()
{
    auto folder = std::make_unique<ProgramFolder>();
    folder->createDatabase();
    QStringList sql = {"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES "
                       "(1, 'Alpha', 'R', 0), (2, 'Beta', 'R', 0), (3, 'Gamma', 'R', 0)"};
    for (int n = 1; n <= 8; ++n)
        sql << QString("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
                       "(%1, %2, 'Note k%1t', '<p>Some text</p><p>and k%1b more</p>', '01-02-2024 10:00:00')")
                   .arg(n).arg(n <= 3 ? 1 : n <= 5 ? 2 : 3);
    folder->execAll(sql);
    return folder;
}

QString runSeed(quint32 seed, int steps)
{
    const std::unique_ptr<ProgramFolder> folder = seededFolder();
    auto script = std::make_shared<ScriptedPrompts>();
    const std::unique_ptr<MainWindow> window = openWindow(*folder, true, scriptedPrompts(script));
    if (!window)
        return QString("seed %1: the window did not open").arg(seed);
    // Every page is opened the way a long one is: its first paragraph shown
    // at once (the row's word is in the second), the whole read on a worker.
    window->documentPane().editor()->setBackgroundLoad(16, 8);
    // The search index of the seeded rows is built in the background; the
    // run begins once it is, so that the find key behaves alike every time.
    qint64 pending = -1;
    auto indexBuilt = [&] {
        readKnowledgeBase(*folder, [&](QSqlDatabase &db) {
            QSqlQuery q(db);
            pending = q.exec("SELECT count(*) FROM DocTextPending") && q.next() ? q.value(0).toLongLong() : -1;
        });
        return pending == 0;
    };
    if (!QTest::qWaitFor(indexBuilt, 20000))
        return QString("seed %1: the search index was not built").arg(seed);
    EditDriver driver(*window, *folder, *script, seed, steps);
    if (!QTest::qWaitFor([&] { return driver.finished(); }, int(LongestSeedMs) + 60000))
        return QString("seed %1: the driver never came back to the test").arg(seed);
    driver.closeWindow();
    qInfo("seed %u: %s", seed, qPrintable(driver.summary()));
    return driver.failure();
}

// QtTest warns of every click on a disabled button, and the offscreen
// platform of what it cannot do for the find dialog: noise here, where a
// user's click on a disabled button is part of the test.
QtMessageHandler previousHandler = nullptr;

void dropInputNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains("not accepted by receiving widget") && !message.startsWith("This plugin does not support"))
        previousHandler(type, context, message);
}

int fromEnvironment(const char *name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

} // namespace

class TestEditSessions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomEditSessions();
};

void TestEditSessions::randomEditSessions()
{
    const int steps = fromEnvironment("FOLIO_EDIT_STEPS", DefaultSteps);
    QList<quint32> seeds;
    if (qEnvironmentVariableIsSet("FOLIO_EDIT_SEED"))
        seeds << qEnvironmentVariable("FOLIO_EDIT_SEED").toUInt();
    else
        for (int i = 0; i < fromEnvironment("FOLIO_EDIT_SEEDS", DefaultSeeds); ++i)
            seeds << BaseSeed + quint32(i);
    previousHandler = qInstallMessageHandler(dropInputNoise);
    for (quint32 seed : std::as_const(seeds)) {
        const QString failure = runSeed(seed, steps);
        if (!failure.isEmpty())
            QFAIL(qPrintable(failure + QString("\nrerun: FOLIO_EDIT_SEED=%1 FOLIO_EDIT_STEPS=%2").arg(seed).arg(steps)));
    }
}

QTEST_MAIN(TestEditSessions)
#include "test_editsessions.moc"
