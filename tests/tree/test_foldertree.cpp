// The folder tree built from rows another tool wrote: order, depth,
// unreachable rows, a crafted deep chain, selection and its status texts.

#include "doclist/documentlist.h"
#include "session/appstate.h"
#include "support/testsupport.h"
#include "tree/foldertree.h"
#include "treetesting.h"
#include "widgets/statuspanel.h"

#include <QMenu>
#include <QTest>

using namespace folio;
using folio::test::childNames;
using folio::test::DepthLimit;
using folio::test::nodeAt;
using folio::test::ProgramFolder;

class TestFolderTree : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
    }
    void cleanup() { delete m_folder; }

    void orderDepthAndUnreachableRows()
    {
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'b', 'R', 0), (2, 'a', 'R', 0), "
            "(3, 'zulu', 'D', 2), (4, 'Alpha', 'D', 2), (5, 'y', 'D', 4), (6, 'X', 'D', 4)",
            // unreachable: parent gone, a cycle of parents, an unknown kind
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (7, 'orphan', 'D', 99), "
            "(8, 'orphan child', 'D', 7), (9, 'loop1', 'D', 10), (10, 'loop2', 'D', 9), (11, 'odd', 'Q', 0)",
            // a top-level row's Parent is not read
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (12, 'C top', 'R', 5)",
        });
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        QTreeView *tree = window->findChild<QTreeView *>(QStringLiteral("TreeView1"));
        QCOMPARE(childNames(tree), QStringList({"a", "b", "C top"}));
        QCOMPARE(childNames(tree, nodeAt(tree, "a")), QStringList({"Alpha", "zulu"}));
        QCOMPARE(childNames(tree, nodeAt(tree, "a/Alpha")), QStringList({"X", "y"}));
        QCOMPARE(folio::test::nodeCount(tree), 7);
        QCOMPARE(FolderTree::dirNumOf(nodeAt(tree, "a/Alpha/y")), DirNum(5));

        // The rows that cannot be placed are not hidden silently.
        folio::test::BoardRobot robot(*window);
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().startsWith(QStringLiteral("5 folder(s) cannot be shown")),
                 qPrintable(robot.lastMessage()));
        QCOMPARE(window->folderTree().unplaced(), 5);
    }

    void crafted100000LevelChain()
    {
        QStringList rows = {"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'top', 'R', 0)"};
        rows << "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) SELECT i, 'level ' || i, 'D', i - 1 FROM n";
        m_folder->execAll(rows);
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        folio::test::BoardRobot robot(*window);
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().contains(QStringLiteral("not shown")), qPrintable(robot.lastMessage()));
        auto &tree = window->folderTree();
        QCOMPARE(tree.hiddenTooDeep(), 1);  // the first level beyond the bound (its branch goes with it)
        QCOMPARE(tree.unplaced(), 0);       // hidden for depth is not "cannot be placed"
        int depth = 0;
        for (QModelIndex node = nodeAt(&tree, 0); node.isValid(); node = nodeAt(&tree, 0, node))
            ++depth;
        QCOMPARE(depth, DepthLimit);
        window->close();  // and the tree is torn down without trouble
    }

    void selectionSetsCurrentFolder()
    {
        m_folder->execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Work', 'R', 0), "
            "(2, 'Projects', 'D', 1), (3, 'It''s \"new\"', 'D', 2), (4, 'Zoo', 'R', 0)",
            "INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) VALUES (3, 'deep doc', '<p/>', ''), "
            "(4, 'zoo doc', '<p/>', '')",
        });
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        QLabel *panel3 = window->findChild<QLabel *>(QStringLiteral("Panel3"));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(5, tree.viewport()->height() - 3));
        QCOMPARE(panel3->text(), QStringLiteral("NULL"));
        QCOMPARE(panel3->toolTip(), QStringLiteral("None Folder Selected"));
        QCOMPARE(window->state().currentDirNum(), DirNum(0));

        tree.expandAll();
        const QModelIndex deep = nodeAt(&tree, "Work/Projects/It's \"new\"");
        QVERIFY(deep.isValid());
        const QRect r = tree.visualRect(deep);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(window->state().currentDirNum(), DirNum(3));
        QCOMPARE(panel3->text(), QStringLiteral("Work/Projects/It's \"new\""));
        QCOMPARE(panel3->toolTip(), QStringLiteral("Current Folder:Work/Projects/It's \"new\""));
        QCOMPARE(window->documentList().topLevelItemCount(), 1);
        QCOMPARE(window->documentList().topLevelItem(0)->text(2), QStringLiteral("deep doc"));
        // Clicking the selected folder again reads its list again.
        m_folder->exec("INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) VALUES (3, 'added meanwhile', '', '')");
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(window->documentList().topLevelItemCount(), 2);

        // The keyboard moves the selection and lists the new folder.
        tree.setFocus();
        QTest::keyClick(&tree, Qt::Key_Down);
        QCOMPARE(window->state().currentDirNum(), DirNum(4));
        QCOMPARE(panel3->text(), QStringLiteral("Zoo"));
        QCOMPARE(window->documentList().topLevelItem(0)->text(2), QStringLiteral("zoo doc"));
    }

    void rightButtonSelectsAndPopsUpTheFolderMenu()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'One', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Two', 'R', 0)"});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        auto *menu = window->findChild<QMenu *>(QStringLiteral("hMenuTreeView"));
        const QRect r = tree.visualRect(nodeAt(&tree, 1));
        QTest::mousePress(tree.viewport(), Qt::RightButton, {}, r.center());
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(tree.currentIndex(), nodeAt(&tree, 1));
        menu->close();
        // On empty space nothing is selected anew, and the menu still comes.
        QTest::mousePress(tree.viewport(), Qt::RightButton, {}, QPoint(5, tree.viewport()->height() - 3));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(tree.currentIndex(), nodeAt(&tree, 1));
        menu->close();
    }

    void rebuildKeepsCurrentFolderAndReportsFailure()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'One', 'R', 0)"});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        tree.setCurrentIndex(nodeAt(&tree, 0));
        m_folder->exec("INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Another', 'R', 0)");
        QVERIFY(tree.loadRootFolders());  // rows another tool wrote show up on the next load
        QCOMPARE(tree.model()->rowCount(), 2);
        QCOMPARE(FolderTree::dirNumOf(tree.currentIndex()), DirNum(1));
        QCOMPARE(window->state().currentDirNum(), DirNum(1));

        folio::test::BoardRobot robot(*window);
        window->database().close();
        QVERIFY(!tree.loadRootFolders());
        QVERIFY(robot.waitForMessages(1));
        QVERIFY2(robot.lastMessage().startsWith(QStringLiteral("Could not read the folders")),
                 qPrintable(robot.lastMessage()));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("IDLE"));
    }
};

QTEST_MAIN(TestFolderTree)
#include "test_foldertree.moc"
