// Adding, renaming and deleting folders through the commands of the real
// window, with every change checked in KB97.MDB as another tool sees it.

#include "support/testsupport.h"
#include "tree/folderrules.h"
#include "tree/foldertree.h"
#include "treetesting.h"
#include "widgets/commands.h"
#include "widgets/messageboard.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace folio;
using folio::test::fileValue;
using folio::test::DepthLimit;
using folio::test::nodeAt;
using folio::test::ProgramFolder;

namespace {

QLineEdit *labelEditor(FolderTree &tree)
{
    return tree.viewport()->findChild<QLineEdit *>();
}

QString panel3(MainWindow &w)
{
    return w.findChild<QLabel *>(QStringLiteral("Panel3"))->text();
}

} // namespace

class TestFolderActions : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;

    QVariant value(const QString &sql) { return fileValue(*m_folder, sql); }
    void run(MainWindow &w, const char *key) { w.commands().action(QLatin1String(key))->trigger(); }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
    }
    void cleanup() { delete m_folder; }

    void labelRules()
    {
        QVERIFY(!decideLabelEdit(QString()).store);
        const LabelEditDecision plain = decideLabelEdit(QStringLiteral(" It's "));
        QVERIFY(plain.store && !plain.cut);
        QCOMPARE(plain.name, QStringLiteral(" It's "));
        QVERIFY(!decideLabelEdit(QString(250, QLatin1Char('a'))).cut);
        const LabelEditDecision cut = decideLabelEdit(QString(250, QLatin1Char('a')) + QLatin1Char('b'));
        QVERIFY(cut.store && cut.cut);
        QCOMPARE(cut.name, QString(250, QLatin1Char('a')));
        // A character of two code units straddling the limit is not split.
        const QString clef = QStringLiteral("\U0001D11E");
        const LabelEditDecision pair = decideLabelEdit(QString(249, QLatin1Char('a')) + clef);
        QCOMPARE(pair.name, QString(249, QLatin1Char('a')));
    }

    // Nothing selected: a top-level "New Folder" row whose label opens at
    // once; the typed name, quotes and all, is what the row keeps.
    void addTopLevelAndName()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Zed', 'R', 0)",
                           // left set by an interrupted run
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent, Child) VALUES (2, 'Old', 'D', 1, 1)"});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        QCOMPARE(tree.selectedFolder(), DirNum(0));

        run(*window, "DirAdd");
        const DirNum added = value("SELECT max(DirNum) FROM DirTable").toLongLong();
        QCOMPARE(added, DirNum(3));
        QCOMPARE(value("SELECT Attr || '/' || Parent || '/' || DirName FROM DirTable WHERE DirNum = 3").toString(),
                 QStringLiteral("R/0/New Folder"));
        QCOMPARE(value("SELECT count(*) FROM DirTable WHERE Child = 1").toInt(), 0);
        // Appended after the others (no re-sort), current, label open.
        QCOMPARE(tree.model()->rowCount(), 2);
        QCOMPARE(FolderTree::dirNumOf(nodeAt(&tree, 1)), added);
        QCOMPARE(window->state().currentDirNum(), added);
        QCOMPARE(panel3(*window), QStringLiteral("New Folder"));
        QLineEdit *editor = labelEditor(tree);
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("New Folder"));

        const QString name = QStringLiteral("It's \"mine\"; --");
        editor->selectAll();
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(value("SELECT DirName FROM DirTable WHERE DirNum = 3").toString(), name);
        QCOMPARE(nodeAt(&tree, 1).data().toString(), name);
        QCOMPARE(panel3(*window), name);
        QCOMPARE(value("SELECT DirName FROM DirTable WHERE DirNum = 2").toString(), QStringLiteral("Old"));
    }

    // With a folder selected the new one is its last child; Escape leaves
    // it named "New Folder".
    void addInsideSelectedThenEscape()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Zoo', 'D', 1)"});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        window->state().navigateTo(1, 0);
        QCOMPARE(tree.selectedFolder(), DirNum(1));

        run(*window, "DirAdd");
        QCOMPARE(value("SELECT Attr || '/' || Parent || '/' || DirName FROM DirTable WHERE DirNum = 3").toString(),
                 QStringLiteral("D/1/New Folder"));
        const QModelIndex home = nodeAt(&tree, 0);
        QCOMPARE(tree.model()->rowCount(home), 2);
        QCOMPARE(nodeAt(&tree, 1, home).data().toString(), QStringLiteral("New Folder"));  // after Zoo
        QLineEdit *editor = labelEditor(tree);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("typed"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!labelEditor(tree));
        QCOMPARE(nodeAt(&tree, 1, home).data().toString(), QStringLiteral("New Folder"));
        QCOMPARE(value("SELECT DirName FROM DirTable WHERE DirNum = 3").toString(), QStringLiteral("New Folder"));
        QCOMPARE(panel3(*window), QStringLiteral("Home/New Folder"));
    }

    // A chain as deep as the tree shows: under its last folder nothing is
    // stored and the user is told; one level up the new folder goes in.
    void addAtTheDepthLimitIsRefused()
    {
        QStringList rows{QStringLiteral("(1, 'level 1', 'R', 0)")};
        for (int level = 2; level <= DepthLimit; ++level)
            rows << QStringLiteral("(%1, 'level %1', 'D', %2)").arg(level).arg(level - 1);
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES " + rows.join(u',')});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        folio::test::BoardRobot robot(*window);
        FolderTree &tree = window->folderTree();
        window->state().navigateTo(DepthLimit, 0);
        QCOMPARE(tree.selectedFolder(), DirNum(DepthLimit));

        run(*window, "DirAdd");
        QVERIFY(robot.waitForMessages(1));
        QCOMPARE(robot.lastMessage(),
                 QStringLiteral("Folders can be nested at most 250 levels deep: the new folder was not added."));
        QCOMPARE(robot.colors().last(), QColor(0, 0, 144));  // dark blue
        QCOMPARE(value("SELECT count(*) FROM DirTable").toInt(), DepthLimit);
        QVERIFY(!labelEditor(tree));
        QCOMPARE(window->state().currentDirNum(), DirNum(DepthLimit));

        window->state().navigateTo(DepthLimit - 1, 0);
        run(*window, "DirAdd");
        const DirNum added = value("SELECT max(DirNum) FROM DirTable").toLongLong();
        QCOMPARE(value(QStringLiteral("SELECT Parent FROM DirTable WHERE DirNum = %1").arg(added)).toLongLong(),
                 DirNum(DepthLimit - 1));
        QVERIFY(tree.indexForFolder(added).isValid());
        QCOMPARE(window->state().currentDirNum(), added);
        QCOMPARE(robot.messages().size(), 1);
    }

    // 251 characters: the notice, and 250 of them in the tree and the file.
    // An emptied label keeps the name.
    void renameLongAndEmpty()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0)"});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        folio::test::BoardRobot robot(*window);
        FolderTree &tree = window->folderTree();
        run(*window, "DirChg");
        QVERIFY(!labelEditor(tree));  // nothing selected: nothing to rename
        window->state().navigateTo(1, 0);

        run(*window, "DirChg");
        QLineEdit *editor = labelEditor(tree);
        QVERIFY(editor);
        editor->setText(QString(250, QLatin1Char('n')) + QLatin1Char('X'));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(robot.waitForMessages(1));
        QCOMPARE(robot.lastMessage(), QStringLiteral("The length of the string can not beyond 250 characters"));
        QCOMPARE(value("SELECT DirName FROM DirTable WHERE DirNum = 1").toString(), QString(250, QLatin1Char('n')));
        QCOMPARE(nodeAt(&tree, 0).data().toString(), QString(250, QLatin1Char('n')));

        run(*window, "DirChg");
        editor = labelEditor(tree);
        QVERIFY(editor);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!labelEditor(tree));
        QCOMPARE(nodeAt(&tree, 0).data().toString(), QString(250, QLatin1Char('n')));
        QCOMPARE(value("SELECT DirName FROM DirTable WHERE DirNum = 1").toString(), QString(250, QLatin1Char('n')));
        QCOMPARE(robot.messages().size(), 1);
    }

    // One document or one sub-folder keeps a folder; an empty one goes
    // without a question and is no longer current.
    void deleteOnlyEmpty()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'A doc', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'B sub', 'R', 0), "
                           "(3, 'Child', 'D', 2), (4, 'C empty', 'R', 0)",
                           "INSERT INTO DocTable (DirNum, DocName, Text, ChgDate) VALUES (1, 'only', '<p/>', '')"});
        auto window = folio::test::openWindow(*m_folder);
        QVERIFY(window);
        folio::test::BoardRobot robot(*window);
        FolderTree &tree = window->folderTree();
        const QString notice = QStringLiteral("The Floder contain Sub-Folder or Doucments, please move or delete them "
                                              "before you delete the folder.");
        for (DirNum kept : {DirNum(1), DirNum(2)}) {
            window->state().navigateTo(kept, 0);
            run(*window, "DirDel");
            QVERIFY(robot.waitForMessages(int(kept)));
            QCOMPARE(robot.lastMessage(), notice);
            QVERIFY(tree.indexForFolder(kept).isValid());
        }
        QCOMPARE(value("SELECT count(*) FROM DirTable").toInt(), 4);

        window->state().navigateTo(4, 0);
        // The Delete key on the tree runs the same command.
        tree.setFocus();
        QTest::keyClick(&tree, Qt::Key_Delete);
        QCOMPARE(value("SELECT count(*) FROM DirTable WHERE DirNum = 4").toInt(), 0);
        QVERIFY(!tree.indexForFolder(4).isValid());
        QCOMPARE(tree.model()->rowCount(), 2);
        QCOMPARE(window->state().currentDirNum(), DirNum(0));
        QCOMPARE(panel3(*window), QStringLiteral("NULL"));
        QTest::qWait(50);
        QCOMPARE(robot.messages().size(), 2);
    }
};

QTEST_MAIN(TestFolderActions)
#include "test_folderactions.moc"
