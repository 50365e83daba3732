// Document history and deleted documents on the real main window: versions
// kept by saves (with the ten-minute rule read from the table), listed
// newest first, the oldest restored and the restore undone; documents
// deleted by the program and by another tool restored into their folder
// or into "Restored Documents".

#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "history/deletedwindow.h"
#include "history/historywindow.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

using namespace folio;
using folio::test::BoardRobot;
using folio::test::ProgramFolder;

class TestHistoryWindows : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::unique_ptr<MainWindow> m_window;

    QString scalar(const QString &sql)
    {
        QSqlQuery q(m_window->database().connection());
        q.exec(sql);
        return q.next() ? q.value(0).toString() : QString();
    }
    void trigger(const char *key) { m_window->findChild<QAction *>(QLatin1String(key))->trigger(); }
    // Revises document `doc` of folder 1 to `text` and saves it.
    void saveRevision(DocNum doc, const QString &text)
    {
        QVERIFY(m_window->state().navigateTo(1, doc));
        m_window->documentList().selectDocument(doc);
        trigger("DocChg");
        QVERIFY(m_window->state().isEditing());
        m_window->documentPane().editor()->textEdit()->setPlainText(text);
        QVERIFY(m_window->documentPane().saveAndBrowse());
    }
    // Versions kept so far look older than ten minutes to the next save.
    void ageHistory() { m_folder->exec(QStringLiteral("UPDATE DocHistory SET KeptAt = datetime(KeptAt, '-11 minutes')")); }
    template <typename W> W *window(const char *name)
    {
        auto *w = m_window->findChild<W *>(QLatin1String(name));
        return w && w->isVisible() ? w : nullptr;
    }
    void select(QTreeWidget *list, int row) { list->setCurrentItem(list->topLevelItem(row)); }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Work', 'R', 0), (2, 'Gone', 'R', 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text) VALUES (1, 1, 'Plan', '<p>first draft</p>'), "
            "(2, 1, 'Other', '<p>other text</p>'), (3, 2, 'Orphan', '<p>orphan text</p>'), "
            "(4, 2, 'Orphan two', '<p>second orphan</p>')",
        });
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
    }

    void cleanup()
    {
        if (m_window)
            m_window->state().setEditMode(EditMode::Browse);
        m_window.reset();
        delete m_folder;
    }

    void threeSavesListedOldestRestoredAndUndone()
    {
        saveRevision(1, QStringLiteral("second draft"));
        ageHistory();
        saveRevision(1, QStringLiteral("third draft"));
        saveRevision(1, QStringLiteral("third draft, a burst"));  // within ten minutes: nothing kept
        ageHistory();
        saveRevision(1, QStringLiteral("fourth draft"));
        QCOMPARE(scalar("SELECT count(*) FROM DocHistory WHERE DocNum = 1"), QStringLiteral("3"));

        QTest::keySequence(m_window.get(), QKeySequence(QStringLiteral("Ctrl+H")));
        auto *history = window<HistoryWindow>("frmHistory");
        QVERIFY(history);
        QCOMPARE(history->windowTitle(), QStringLiteral("Document History - Plan"));
        auto *versions = history->findChild<QTreeWidget *>(QStringLiteral("lstVersions"));
        QCOMPARE(versions->topLevelItemCount(), 3);
        auto *view = history->findChild<QTextEdit *>(QStringLiteral("txtVersion"));
        select(versions, 0);
        QVERIFY2(view->toPlainText().contains(QStringLiteral("third")), qPrintable(view->toPlainText()));
        select(versions, 2);  // the oldest: the words since marked
        QVERIFY(view->toPlainText().contains(QStringLiteral("first")));
        QVERIFY(view->toHtml().contains(QStringLiteral("line-through")));

        folio::test::clickNamed(history, QStringLiteral("cmdRestore"));
        QVERIFY(scalar("SELECT Text FROM DocTable WHERE DocNum = 1").contains(QStringLiteral("first draft")));
        QVERIFY(m_window->documentPane().editor()->textEdit()->toPlainText().contains(QStringLiteral("first draft")));
        // The text it replaced was kept first: the restore can be undone.
        QCOMPARE(versions->topLevelItemCount(), 4);
        select(versions, 0);
        QVERIFY(history->restoreSelected());
        QVERIFY(scalar("SELECT Text FROM DocTable WHERE DocNum = 1").contains(QStringLiteral("fourth draft")));
    }

    // The history of a document being edited with changes: asked first.
    void historyAsksBeforeLeavingAnEdit()
    {
        QVERIFY(m_window->state().navigateTo(1, 1));
        m_window->documentList().selectDocument(1);
        trigger("DocChg");
        QTest::keyClicks(m_window->documentPane().editor()->textEdit(), QStringLiteral("unsaved "));
        {
            BoardRobot robot(*m_window, QStringLiteral("picCancel"));
            trigger("DocHistory");
            QCOMPARE(robot.messages().size(), 1);
            QVERIFY(!window<HistoryWindow>("frmHistory"));
            QVERIFY(m_window->state().isEditing());
        }
        BoardRobot robot(*m_window, QStringLiteral("picYes"));
        trigger("DocHistory");
        QVERIFY(window<HistoryWindow>("frmHistory"));
        QVERIFY(scalar("SELECT Text FROM DocTable WHERE DocNum = 1").contains(QStringLiteral("unsaved")));
    }

    void deletedDocumentsListedAndRestored()
    {
        BoardRobot robot(*m_window);
        QVERIFY(m_window->state().navigateTo(1, 2));
        m_window->documentList().selectDocument(2);
        m_window->documentList().setFocus();
        QTest::keyClick(&m_window->documentList(), Qt::Key_Delete);
        QCOMPARE(scalar("SELECT count(*) FROM DocTable WHERE DocNum = 2"), QStringLiteral("0"));
        // Deleted by another tool, and the folder with it.
        m_folder->execAll({"DELETE FROM DocTable WHERE DirNum = 2", "DELETE FROM DirTable WHERE DirNum = 2"});

        trigger("MnuDeletedDocs");
        auto *deleted = window<DeletedWindow>("frmDeleted");
        QVERIFY(deleted);
        auto *list = deleted->findChild<QTreeWidget *>(QStringLiteral("lstDeleted"));
        QCOMPARE(list->topLevelItemCount(), 3);
        QTreeWidgetItem *other = list->findItems(QStringLiteral("Other"), Qt::MatchExactly).value(0);
        QVERIFY(other);
        QCOMPARE(other->text(DeletedWindow::FolderColumn), QStringLiteral("Work"));
        list->setCurrentItem(other);
        QVERIFY(deleted->findChild<QPlainTextEdit *>(QStringLiteral("txtDeleted"))->toPlainText().contains(
            QStringLiteral("other text")));
        folio::test::clickNamed(deleted, QStringLiteral("cmdRestoreDeleted"));
        QCOMPARE(scalar("SELECT count(*) FROM DocTable WHERE DocName = 'Other' AND DirNum = 1 AND DocNum > 4"),
                 QStringLiteral("1"));
        QCOMPARE(m_window->state().currentDirNum(), DirNum(1));
        QCOMPARE(m_window->documentPane().titleBox()->text(), QStringLiteral("Other"));
        QCOMPARE(list->topLevelItemCount(), 2);

        // Their folder is gone: both go into one new top-level folder.
        for (int i = 0; i < 2; ++i) {
            select(list, 0);
            QVERIFY(deleted->restoreSelected());
        }
        const QString restoredFolder = scalar("SELECT DirNum FROM DirTable WHERE DirName = 'Restored Documents'");
        QCOMPARE(scalar("SELECT count(*) FROM DirTable WHERE DirName = 'Restored Documents' AND Parent = 0"),
                 QStringLiteral("1"));
        QCOMPARE(scalar("SELECT count(*) FROM DocTable WHERE DirNum = " + restoredFolder), QStringLiteral("2"));
        QVERIFY(m_window->folderTree().indexForFolder(restoredFolder.toLongLong()).isValid());
        QCOMPARE(m_window->state().currentDirNum(), restoredFolder.toLongLong());
        QCOMPARE(list->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(TestHistoryWindows)
#include "test_historywindows.moc"
