// The ways a click could lose or misplace what the user was writing, tried
// on the real main window with the rows read back from the file: a find
// result opened during a revision, Delete Document during an edit, and a
// row that is gone when the revision is begun.

#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "search/finddocumentsdialog.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSqlQuery>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::ProgramFolder;

class TestEditSafety : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::unique_ptr<MainWindow> m_window;

    DocumentPane &pane() { return m_window->documentPane(); }
    QString row(DocNum num)
    {
        QSqlQuery q(m_window->database().connection());
        q.prepare(QStringLiteral("SELECT DocName || '|' || Text FROM DocTable WHERE DocNum = ?"));
        q.addBindValue(num);
        q.exec();
        return q.next() ? q.value(0).toString() : QStringLiteral("<gone>");
    }
    void reviseExistingDoc(const QString &typed)
    {
        m_window->state().navigateTo(1, 1);
        QVERIFY(m_window->findChild<QAction *>(QStringLiteral("DocChg"))->isEnabled());
        m_window->findChild<QAction *>(QStringLiteral("DocChg"))->trigger();
        QCOMPARE(pane().editedDocument(), DocNum(1));
        pane().editor()->textEdit()->setFocus();
        QTest::keyClicks(pane().editor()->textEdit(), typed);
    }
    // Finds "Second" in the find dialog and double-clicks the result.
    void openSecondFromFindResults()
    {
        m_window->findChild<QAction *>(QStringLiteral("DocFind"))->trigger();
        auto *dialog = m_window->findChild<FindDocumentsDialog *>(QStringLiteral("frmFindDoc"));
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->findChild<QWidget *>(QStringLiteral("cmdFind"))->isEnabled());
        dialog->findChild<QLineEdit *>(QStringLiteral("txtQuery1"))->setText(QStringLiteral("Second"));
        folio::test::clickNamed(dialog, QStringLiteral("cmdFind"));
        auto *results = dialog->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
        QCOMPARE(results->topLevelItemCount(), 1);
        const QPoint place = results->visualItemRect(results->topLevelItem(0)).center();
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, place);
        QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, place);
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Work', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(1, 1, 'Existing doc', '<p>existing text</p>', '01-01-2020 00:00:00')",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(2, 1, 'Second doc', '<p>second text</p>', '01-01-2020 00:00:00')",
        });
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
    }

    void cleanup()
    {
        if (m_window)
            m_window->state().setEditMode(EditMode::Browse);  // no question on teardown
        m_window.reset();
        delete m_folder;
    }

    // Yes saves the revision into its own row, then the result is shown.
    void findResultDuringRevisionSavesIntoItsOwnRow()
    {
        reviseExistingDoc(QStringLiteral(" edited words"));
        BoardRobot robot(*m_window, QStringLiteral("picYes"));
        openSecondFromFindResults();
        QCOMPARE(robot.messages().size(), 1);
        QVERIFY(row(1).startsWith(QStringLiteral("Existing doc|")));
        QVERIFY(row(1).contains(QStringLiteral("edited words")));
        QCOMPARE(row(2), QStringLiteral("Second doc|<p>second text</p>"));
        QVERIFY(!m_window->state().isEditing());
        QCOMPARE(m_window->state().currentDocNum(), DocNum(2));
        QCOMPARE(pane().titleBox()->text(), QStringLiteral("Second doc"));
    }

    // Cancel: the revision stays open with its words; nothing is written
    // and the current document does not change.
    void findResultDuringRevisionCancelledStays()
    {
        reviseExistingDoc(QStringLiteral(" still mine"));
        BoardRobot robot(*m_window, QStringLiteral("picCancel"));
        openSecondFromFindResults();
        QCOMPARE(robot.messages().size(), 1);
        QVERIFY(m_window->state().isEditing());
        QCOMPARE(m_window->state().currentDocNum(), DocNum(1));
        QVERIFY(pane().editor()->textEdit()->toPlainText().contains(QStringLiteral("still mine")));
        QCOMPARE(row(1), QStringLiteral("Existing doc|<p>existing text</p>"));
        QCOMPARE(row(2), QStringLiteral("Second doc|<p>second text</p>"));
    }

    // Delete Document acts on the hidden list: not offered during an edit,
    // by menu, pop-up or the Delete key, and the edit saves afterwards.
    void deleteDocumentIsNotOfferedWhileEditing()
    {
        m_window->documentList().selectDocument(1);
        reviseExistingDoc(QStringLiteral(" words to keep"));
        QAction *del = m_window->findChild<QAction *>(QStringLiteral("DocDel"));
        QVERIFY(!del->isEnabled());
        QVERIFY(m_window->findChild<QMenu *>(QStringLiteral("hMenuListView"))->actions().contains(del));
        del->trigger();
        QTest::keyClick(&m_window->documentList(), Qt::Key_Delete);
        m_window->documentList().deleteDocuments();
        QVERIFY(!row(1).contains(QStringLiteral("<gone>")));
        QVERIFY(pane().saveAndBrowse());
        QVERIFY(row(1).contains(QStringLiteral("words to keep")));
    }

    // A document deleted by another tool is not opened for revising: the
    // user is told, instead of a revision that can never be saved.
    void revisingAVanishedDocumentIsRefused()
    {
        BoardRobot robot(*m_window);
        m_window->state().navigateTo(1, 2);
        m_window->documentList().selectDocument(2);
        m_folder->exec(QStringLiteral("DELETE FROM DocTable WHERE DocNum = 2"));
        pane().editDocument();
        QVERIFY(!m_window->state().isEditing());
        QVERIFY(robot.waitForMessages(1));
        QVERIFY(robot.lastMessage().contains(QStringLiteral("no longer exists")));
    }
};

QTEST_MAIN(TestEditSafety)
#include "test_editsafety.moc"
