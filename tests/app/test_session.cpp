// The session under a running window: the knowledge base replaced while the
// window shows rows of it, a replacement that fails, an edit that survives a
// replacement, and the one navigation path that jumps to a document.

#include "doclist/documentlist.h"
#include "editor/documentpane.h"
#include "editor/htmleditor.h"
#include "editor/titlebox.h"
#include "storage/atomicfile.h"
#include "storage/storageerror.h"
#include "support/panefixture.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "widgets/messageboard.h"
#include "widgets/statuspanel.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

QStringList topNames(QTreeView *tree)
{
    QStringList names;
    for (int i = 0; i < tree->model()->rowCount(); ++i)
        names << tree->model()->index(i, 0).data().toString();
    return names;
}

QString panelText(MainWindow &w, int n)
{
    return w.findChild<QLabel *>(QStringLiteral("Panel%1").arg(n))->text();
}

// A second knowledge base, made as another copy of the program would have
// left it, to be put in place of the running one.
QString makeOtherBase(const ProgramFolder &folder)
{
    const QString path = folder.file(QStringLiteral("other.MDB"));
    QFile::copy(QStringLiteral(FOLIO_TEMPLATE_PATH), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec("INSERT INTO DirTable (DirNum, DirName, Attr, Parent, Child) VALUES (50, 'Replaced', 'R', 0, 0)");
        q.exec("INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
               "(7, 50, 'new one', '<p>new</p>', '01-01-2026 10:00:00'), "
               "(8, 50, 'new two', '<p>two</p>', '01-01-2026 10:00:00')");
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    return path;
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    std::unique_ptr<MainWindow> m_window;

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent, Child) VALUES (1, 'Home', 'R', 0, 0), "
            "(2, 'Work', 'R', 0, 0), (3, 'Deep', 'D', 2, 0), (4, 'Deeper', 'D', 3, 0)",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(7, 1, 'old seven', '<p>old</p>', '01-01-2026 10:00:00')",
            "INSERT INTO DocTable (DocNum, DirNum, DocName, Text, ChgDate) VALUES "
            "(9, 4, 'buried', '<p>far down</p>', '01-01-2026 10:00:00'), "
            "(10, 4, 'also buried', '<p>x</p>', '01-01-2026 10:00:00')",
        });
        m_window = folio::test::openWindow(*m_folder);
        QVERIFY(m_window);
    }

    void cleanup()
    {
        m_window.reset();
        delete m_folder;
    }

    void replacedFileLeavesNoStaleRowsOnScreen()
    {
        MainWindow &w = *m_window;
        w.state().navigateTo(1, 7);
        QCOMPARE(w.documentList().topLevelItemCount(), 1);
        QCOMPARE(w.documentPane().titleBox()->text(), QStringLiteral("old seven"));

        const QString other = makeOtherBase(*m_folder);
        QSignalSpy reopened(&w.session(), &Session::reopened);
        w.session().reopen([&] {
            replaceFileAtomically(other, m_folder->file(QStringLiteral("KB97.MDB")), QStringLiteral("replace"));
        });
        QCOMPARE(reopened.count(), 1);
        QVERIFY(w.database().isOpen());
        // Document 7 exists in the new file too, but it is another document:
        // nothing of the old file stays on screen or current.
        QCOMPARE(topNames(&w.folderTree()), QStringList{QStringLiteral("Replaced")});
        QCOMPARE(w.documentList().topLevelItemCount(), 0);
        QVERIFY(w.documentPane().titleBox()->text().isEmpty());
        QVERIFY(!w.documentPane().editor()->documentHtml().contains(QStringLiteral("old")));
        QCOMPARE(w.state().currentDirNum(), DirNum(0));
        QCOMPARE(w.state().currentDocNum(), DocNum(0));
        QCOMPARE(panelText(w, 3), QStringLiteral("NULL"));
        QVERIFY(panelText(w, 4).isEmpty());

        // The new file is the one the panes now read.
        QTest::mouseClick(w.folderTree().viewport(), Qt::LeftButton, {},
                          w.folderTree().visualRect(w.folderTree().model()->index(0, 0)).center());
        QCOMPARE(w.documentList().topLevelItemCount(), 2);
        QCOMPARE(w.state().currentDirNum(), DirNum(50));
    }

    void failedReplacementKeepsTheOldFileOpen()
    {
        MainWindow &w = *m_window;
        QSignalSpy reopened(&w.session(), &Session::reopened);
        bool thrown = false;
        try {
            w.session().reopen([] { throw StorageError(QStringLiteral("restore"), QStringLiteral("disk full")); });
        } catch (const StorageError &e) {
            thrown = e.detail() == QStringLiteral("disk full");
        }
        QVERIFY(thrown);
        QCOMPARE(reopened.count(), 1);
        QVERIFY(w.database().isOpen());
        QCOMPARE(topNames(&w.folderTree()), QStringList({QStringLiteral("Home"), QStringLiteral("Work")}));
    }

    void editSurvivesReplacementAsNewDocument()
    {
        MainWindow &w = *m_window;
        w.state().navigateTo(1, 7);
        w.documentPane().editDocument();
        QVERIFY(w.state().isEditing());
        w.documentPane().titleBox()->setText(QStringLiteral("my words"));
        w.session().reopen([&] {
            replaceFileAtomically(makeOtherBase(*m_folder), m_folder->file(QStringLiteral("KB97.MDB")),
                                  QStringLiteral("replace"));
        });
        QVERIFY(w.state().isEditing());
        QCOMPARE(w.documentPane().titleBox()->text(), QStringLiteral("my words"));
        QVERIFY(w.documentPane().hasUnsavedChanges());

        // Saving must not overwrite document 7 of the new file: it becomes a
        // new row in the folder the user picks.
        w.state().selectFolder(50);
        QCOMPARE(w.documentPane().saveDocument(), SaveOutcome::Stored);
        QCOMPARE(m_folder->value("SELECT COUNT(*) FROM DocTable WHERE DocName = 'new one'").toInt(), 1);
        QCOMPARE(m_folder->value("SELECT COUNT(*) FROM DocTable WHERE DocName = 'my words' AND DirNum = 50 "
                                 "AND DocNum > 8").toInt(), 1);
    }

    void navigateToADocumentDeepInTheTree()
    {
        MainWindow &w = *m_window;
        w.state().navigateTo(4, 10);
        const QModelIndex current = w.folderTree().currentIndex();
        QVERIFY(current.isValid() && w.folderTree().selectionModel()->isSelected(current));
        QCOMPARE(FolderTree::dirNumOf(current), DirNum(4));
        QVERIFY(w.folderTree().isExpanded(current.parent()) && w.folderTree().isExpanded(current.parent().parent()));
        QCOMPARE(panelText(w, 3), QStringLiteral("Work/Deep/Deeper"));
        QCOMPARE(w.documentList().topLevelItemCount(), 2);
        QCOMPARE(w.documentList().selectedDocNums(), QList<DocNum>{10});
        QCOMPARE(w.documentPane().titleBox()->text(), QStringLiteral("also buried"));
        QCOMPARE(panelText(w, 4), QStringLiteral("also buried"));
        QVERIFY(w.state().documentEntrySelected());

        // Revising acts on the document navigated to, and the save selects it again.
        w.documentPane().editDocument();
        QVERIFY(w.state().isEditing());
        QVERIFY(!w.documentList().isEnabled());
        w.documentPane().titleBox()->setText(QStringLiteral("renamed"));
        QVERIFY(w.documentPane().saveAndBrowse());
        QVERIFY(w.documentList().isEnabled());
        QCOMPARE(w.documentList().selectedDocNums(), QList<DocNum>{10});
        QCOMPARE(panelText(w, 4), QStringLiteral("renamed"));
    }
};

QTEST_MAIN(TestSession)
#include "test_session.moc"
