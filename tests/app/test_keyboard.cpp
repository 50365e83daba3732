// The window without a mouse: F6 and Shift+F6 go round the panes, and the
// message board is answered with Enter, Esc, Y, N and C.

#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "session/appstate.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"

#include <QApplication>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace folio;

namespace {

// Asks on the board from the event loop, presses `key` where the keyboard
// focus is once the board waits, and returns the answer.
BoardAnswer answerWithKey(MessageBoard &board, BoardButtons buttons, int key)
{
    QTimer::singleShot(0, &board, [&board, key] {
        QTRY_VERIFY(board.isWaiting());
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &board;
        QTest::keyClick(target, Qt::Key(key));
    });
    return board.showMessageBoard(BoardMode::Show, buttons, QStringLiteral("Go on?"), 0x000080);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<folio::test::ProgramFolder>();
        m_folder->createDatabase();
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0)",
                           "INSERT INTO DocTable (DirNum, DocName, Text) VALUES (1, 'Note', '<p>text</p>')"});
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void f6GoesRoundThePanes()
    {
        QWidget *tree = &m_window->folderTree();
        QWidget *list = m_window->findChild<QWidget *>(QStringLiteral("ListView1"));
        QWidget *title = m_window->documentPane().titleBox();
        QWidget *text = m_window->documentPane().editor()->textEdit();
        tree->setFocus();
        const QList<QWidget *> order = {list, title, text, tree};
        for (QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
            QTRY_COMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QTRY_COMPARE(QApplication::focusWidget(), text);

        // While a document is edited the list is hidden: F6 passes over it.
        m_window->state().navigateTo(1, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
        QTRY_COMPARE(m_window->state().editMode(), EditMode::Edit);
        QVERIFY(!list->isVisible());
        tree->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QTRY_COMPARE(QApplication::focusWidget(), title);
    }

    // Tab follows the layout: tree, list, title, text.
    void tabFollowsTheLayout()
    {
        QWidget *tree = &m_window->folderTree();
        tree->setFocus();
        QStringList visited;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"ListView1", "txtHTMLTitle", "DHTMLEdit1Text", "TreeView1"}));
    }

    void theBoardIsAnsweredFromTheKeyboard()
    {
        MessageBoard &board = m_window->board();
        board.setSlideDelay(0);
        m_window->folderTree().setFocus();
        QCOMPARE(answerWithKey(board, BoardButtons::Ok, Qt::Key_Return), BoardAnswer::Yes);
        QCOMPARE(answerWithKey(board, BoardButtons::YesNo, Qt::Key_Y), BoardAnswer::Yes);
        QCOMPARE(answerWithKey(board, BoardButtons::YesNo, Qt::Key_N), BoardAnswer::No);
        QCOMPARE(answerWithKey(board, BoardButtons::YesNo, Qt::Key_Escape), BoardAnswer::No);
        QCOMPARE(answerWithKey(board, BoardButtons::YesNo, Qt::Key_Enter), BoardAnswer::Yes);
        // Where Cancel is offered Esc keeps everything as it was.
        QCOMPARE(answerWithKey(board, BoardButtons::YesNoCancel, Qt::Key_Escape), BoardAnswer::Cancel);
        QCOMPARE(answerWithKey(board, BoardButtons::YesNoCancel, Qt::Key_C), BoardAnswer::Cancel);
        // The keys go back to where they were.
        QTRY_COMPARE(QApplication::focusWidget(), &m_window->folderTree());
    }

    // A notice that arrives while the user types keeps out of the way: the
    // keystrokes go on into the text.
    void aNoticeDoesNotTakeTheKeysFromTheText()
    {
        MessageBoard &board = m_window->board();
        board.setSlideDelay(0);
        m_window->state().navigateTo(1, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
        QTRY_COMPARE(m_window->state().editMode(), EditMode::Edit);
        QTextEdit *text = m_window->documentPane().editor()->textEdit();
        text->setFocus();
        text->moveCursor(QTextCursor::End);
        QTimer::singleShot(0, &board, [&] {
            QTRY_VERIFY(board.isWaiting());
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("yes"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            folio::test::clickNamed(&board, QStringLiteral("picOK"));
        });
        board.inform(QStringLiteral("Something happened."));
        QCOMPARE(QApplication::focusWidget(), text);
        QVERIFY2(text->toPlainText().startsWith(QStringLiteral("textyes")), qPrintable(text->toPlainText()));
    }

private:
    std::unique_ptr<folio::test::ProgramFolder> m_folder;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
