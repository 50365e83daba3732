// Ending on a signal: unsaved words are kept in the recovery file without a
// question, offered back at the next start, and the file goes only once the
// user has answered.

#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "shell/messageboard.h"
#include "storage/recoveryfile.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"

#include <QDir>
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
        window->state().navigateTo(1, 5);
        window->documentPane().editDocument();
        window->documentPane().titleBox()->setText(title);
        window->documentPane().editor()->textEdit()->setFocus();
        QTest::keyClicks(window->documentPane().editor()->textEdit(), words);
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
        QTRY_VERIFY(!file.exists());

        // Saving stores it into the document it came from.
        QVERIFY(pane.saveAndBrowse());
        QVERIFY(storedText(*window, 5).startsWith(QStringLiteral("Title in flight|")));
        QVERIFY(storedText(*window, 5).contains(QStringLiteral("words in flight")));
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
