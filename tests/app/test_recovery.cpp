// Unsaved words are kept in the recovery file while the user types (so a
// kill or a power cut loses at most a few seconds) and once more when a
// signal ends the program; they are offered back at the next start, and the
// file goes once the words are saved or let go. Failures are said.

#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "storage/recoveryfile.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QSqlQuery>
#include <QTextEdit>
#include <QTest>
#include <QTimer>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::ProgramFolder;

namespace {

QString storedText(MainWindow &window, DocNum num)
{
    QSqlQuery q(window.database().connection());
    q.prepare(QStringLiteral("SELECT DocName || '|' || Text FROM DocTable WHERE DocNum = ?"));
    q.addBindValue(num);
    q.exec();
    return q.next() ? q.value(0).toString() : QString();
}

// Revises document 5 and types `words` into its text.
QTextEdit *typeInto(MainWindow &window, const QString &words)
{
    window.state().navigateTo(1, 5);
    window.documentPane().editDocument();
    QTextEdit *text = window.documentPane().editor()->textEdit();
    text->setFocus();
    QTest::keyClicks(text, words);
    return text;
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;

    // Revises document 5, changes title and text, and ends on a signal.
    void endWhileEditing(const QString &title, const QString &words)
    {
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        BoardRobot robot(*window);
        typeInto(*window, words);
        window->documentPane().titleBox()->setText(title);
        window->endOnSignal();
        QVERIFY(!window->isVisible());
        QVERIFY(!window->database().isOpen());
        QCOMPARE(robot.messages().size(), 0);  // nobody is asked
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Notes', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(5, 1, 'Stored', '<p>stored text</p>', '01-01-2020 00:00:00')",
        });
    }

    void cleanup() { delete m_folder; }

    void signalKeepsTheEditAndYesRestoresIt()
    {
        endWhileEditing(QStringLiteral("Title in flight"), QStringLiteral("words in flight"));
        const RecoveryFile file(m_folder->path());
        QVERIFY(file.exists());
        const std::optional<RecoveredEdit> kept = file.read();
        QVERIFY(kept);
        QCOMPARE(kept->doc, DocNum(5));
        QCOMPARE(kept->dir, DirNum(1));
        QCOMPARE(kept->title, QStringLiteral("Title in flight"));
        QVERIFY(kept->html.contains(QStringLiteral("words in flight")));
        // No leftover temporary file beside it.
        QCOMPARE(QDir(m_folder->path()).entryList({QStringLiteral("*recovery*")}, QDir::Files).size(), 1);

        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        QCOMPARE(storedText(*window, 5), QStringLiteral("Stored|<p>stored text</p>"));  // not saved behind anyone's back
        BoardRobot robot(*window, QStringLiteral("picYes"));
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().contains(QStringLiteral("Title in flight")), qPrintable(robot.lastMessage()));
        DocumentPane &pane = window->documentPane();
        QTRY_VERIFY(window->state().isEditing());
        QCOMPARE(pane.titleBox()->text(), QStringLiteral("Title in flight"));
        QVERIFY(pane.editor()->textEdit()->toPlainText().contains(QStringLiteral("words in flight")));
        QCOMPARE(window->state().currentDocNum(), DocNum(5));
        QCOMPARE(window->state().currentDirNum(), DirNum(1));
        QVERIFY(pane.hasUnsavedChanges());
        // The words are still unsaved: the file keeps them until they are.
        QVERIFY(file.exists());

        // Saving stores it into the document it came from, and the file goes.
        QVERIFY(pane.saveAndBrowse());
        QVERIFY(storedText(*window, 5).startsWith(QStringLiteral("Title in flight|")));
        QVERIFY(storedText(*window, 5).contains(QStringLiteral("words in flight")));
        QTRY_VERIFY(!file.exists());
    }

    void noLetsTheEditGoAfterTheAnswer()
    {
        endWhileEditing(QStringLiteral("Unwanted"), QStringLiteral("unwanted words"));
        const RecoveryFile file(m_folder->path());
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        QVERIFY(file.exists());  // still there while the question waits
        BoardRobot robot(*window, QStringLiteral("picNo"));
        QVERIFY(robot.waitForMessages(1));
        QTRY_VERIFY(!file.exists());
        QVERIFY(!window->state().isEditing());
        QCOMPARE(storedText(*window, 5), QStringLiteral("Stored|<p>stored text</p>"));
    }

    void closingDuringTheQuestionKeepsTheFile()
    {
        endWhileEditing(QStringLiteral("Later"), QStringLiteral("later words"));
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        // The question waits inside the event loop: close from a timer once it does.
        QTimer closer;
        connect(&closer, &QTimer::timeout, window.get(), [&] {
            if (window->board().isWaiting())
                window->close();
        });
        closer.start(10);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(RecoveryFile(m_folder->path()).exists());
    }

    // No signal comes (a kill, a power cut): the words typed are on disk a
    // few seconds later all the same, and a start from what is on disk
    // offers them back.
    void typedWordsReachTheDiskWithoutASignal()
    {
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        QTextEdit *text = typeInto(*window, QStringLiteral("typed before the kill"));
        const RecoveryFile file(m_folder->path());
        QTRY_VERIFY_WITH_TIMEOUT(file.exists() && file.read() && file.read()->html.contains(QStringLiteral("before the kill")),
                                 7000);
        QCOMPARE(file.read()->doc, DocNum(5));
        // More words: the file follows.
        QTest::keyClicks(text, QStringLiteral(" and after"));
        QTRY_VERIFY_WITH_TIMEOUT(file.read() && file.read()->html.contains(QStringLiteral("and after")), 7000);

        // What a killed program leaves: the same files, opened by the next start.
        ProgramFolder next;
        QVERIFY(QFile::copy(m_folder->file(QStringLiteral("KB97.MDB")), next.file(QStringLiteral("KB97.MDB"))));
        QVERIFY(QFile::copy(file.path(), next.file(RecoveryFile::fileName())));
        auto restarted = folio::test::openWindow(next);
        QVERIFY(restarted);
        BoardRobot robot(*restarted, QStringLiteral("picYes"));
        QTRY_VERIFY(restarted->state().isEditing());
        QVERIFY(restarted->documentPane().editor()->textEdit()->toPlainText().contains(QStringLiteral("typed before the kill and after")));
        QCOMPARE(restarted->documentPane().editedDocument(), DocNum(5));
    }

    // Save, Cancel and No each end the need for the file.
    void fileGoesWithTheEdit_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("save") << "save";
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("no to the question") << "no";
    }

    void fileGoesWithTheEdit()
    {
        QFETCH(QString, ending);
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        DocumentPane &pane = window->documentPane();
        typeInto(*window, QStringLiteral("short lived"));
        const RecoveryFile file(m_folder->path());
        QTRY_VERIFY_WITH_TIMEOUT(file.exists(), 7000);
        BoardRobot robot(*window, QStringLiteral("picNo"));
        if (ending == QLatin1String("save"))
            QVERIFY(pane.saveAndBrowse());
        else if (ending == QLatin1String("cancel"))
            pane.cancelEditing();
        else
            QCOMPARE(pane.leave(), LeaveOutcome::Discarded);
        QVERIFY(!window->state().isEditing());
        QTRY_VERIFY(!file.exists());
        QCOMPARE(storedText(*window, 5).contains(QStringLiteral("short lived")), ending == QLatin1String("save"));
    }

    // A file that cannot be written is said (once), and a signal that
    // would lose the words then leaves the window open; a second one ends it.
    void unwritableFileIsSaidAndASignalWaits()
    {
        // A folder in the file's place: no rename can put a file there, root or not.
        QVERIFY(QDir(m_folder->path()).mkpath(RecoveryFile::fileName() + QStringLiteral("/occupied")));
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        BoardRobot robot(*window);
        robot.clear();
        QVERIFY(robot.waitForMessages(1));  // the kept words there cannot be read
        robot.clear();
        typeInto(*window, QStringLiteral("nowhere to go"));
        QVERIFY(robot.waitForMessages(1, 8000));
        QVERIFY2(robot.lastMessage().contains(QStringLiteral("keep the unsaved document")), qPrintable(robot.lastMessage()));
        QTest::keyClicks(window->documentPane().editor()->textEdit(), QStringLiteral(" still nowhere"));
        QTest::qWait(1500);
        QCOMPARE(robot.messages().size(), 1);  // said once, not at every refresh

        QVERIFY(!window->endOnSignal());
        QVERIFY(window->isVisible());
        QVERIFY(window->database().isOpen());
        QVERIFY(robot.waitForMessages(2));
        QVERIFY(window->endOnSignal());
        QVERIFY(window->endedWithoutUnsavedWords());
        QVERIFY(!window->database().isOpen());
    }

    // Kept words are offered even while the board shows something else (a
    // refused question used to count as No and removed the file), and no
    // edit can begin before the answer.
    void offerTakesABusyBoard()
    {
        endWhileEditing(QStringLiteral("Kept"), QStringLiteral("kept words"));
        auto window = std::make_unique<MainWindow>(m_folder->path());
        window->board().setSlideDelay(0);
        QTimer::singleShot(0, window.get(), [&] { window->board().inform(QStringLiteral("Something else first")); });
        QVERIFY(window->load().ok);
        window->show();
        // Answers the question (Yes) and notes whether a new document could
        // have been begun while it waited.
        QStringList asked;
        bool addWasOff = false;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, window.get(), [&] {
            if (!window->board().isWaiting() || !window->board().findChild<QWidget *>(QStringLiteral("picYes"))->isVisible())
                return;
            asked << window->board().findChild<QLabel *>(QStringLiteral("lblmessageBoard"))->text();
            addWasOff = !window->findChild<QAction *>(QStringLiteral("DocAdd"))->isEnabled();
            folio::test::clickNamed(&window->board(), QStringLiteral("picYes"));
        });
        answerer.start(5);
        QTRY_VERIFY(window->state().isEditing());
        QVERIFY(addWasOff);
        QCOMPARE(asked, QStringList{QStringLiteral("Folio Keeper was ended while a document had changes that were not "
                                                   "saved (\"Kept\"). Do you want to restore them?")});
        QVERIFY(window->documentPane().editor()->textEdit()->toPlainText().contains(QStringLiteral("kept words")));
        window->state().setEditMode(EditMode::Browse);
    }

    // Words let go are not offered again, even where the folder does not
    // let the file be removed (an immutable folder binds root too).
    void answeredFileIsNotOfferedAgain()
    {
        endWhileEditing(QStringLiteral("Answered"), QStringLiteral("answered words"));
        struct Immutable
        {
            QString path;
            bool set = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
            ~Immutable()
            {
                if (set)
                    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
            }
        } folder{m_folder->path()};
        if (!folder.set)
            QSKIP("the file system cannot make a folder immutable");
        {
            auto window = folio::test::openWindow(*m_folder);
            QVERIFY(window);
            BoardRobot robot(*window, QStringLiteral("picNo"));
            QTRY_VERIFY(robot.messages().contains(QStringLiteral(
                "Folio Keeper was ended while a document had changes that were not saved (\"Answered\"). Do you want "
                "to restore them?")));
            QTRY_VERIFY(!RecoveryFile(m_folder->path()).isPending());
        }
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        BoardRobot robot(*window, QStringLiteral("picNo"));
        QTest::qWait(300);
        for (const QString &message : robot.messages())
            QVERIFY2(!message.contains(QStringLiteral("restore them")), qPrintable(message));
    }

    void nothingUnsavedWritesNothing()
    {
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        window->state().navigateTo(1, 5);
        window->documentPane().editDocument();  // editing, but unchanged
        window->endOnSignal();
        QVERIFY(!RecoveryFile(m_folder->path()).exists());
        QVERIFY(QFile::exists(m_folder->file(QStringLiteral("foliok.ini"))));
    }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
