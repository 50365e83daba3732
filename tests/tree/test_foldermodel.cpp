// The folder model against the index it answers from, on small crafted
// bases: order, circles, missing parents, the depth bound, and the changes
// the program makes without reading the rows again.

#include "storage/database.h"
#include "storage/folderstore.h"
#include "support/testsupport.h"
#include "tree/folderindex.h"
#include "tree/foldertreemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace folio;
using folio::test::ProgramFolder;

namespace {

Folder top(DirNum num, const QString &name) { return Folder{num, name, FolderKind::Root, 0}; }
Folder sub(DirNum num, const QString &name, DirNum parent) { return Folder{num, name, FolderKind::Sub, parent}; }

// `folders` in ascending number, as the table gives them.
FolderIndex indexOf(const std::vector<Folder> &folders, int maxDepth = 250)
{
    FolderRows rows;
    for (const Folder &f : folders)
        rows.append(f.num, f.parent, f.kind, f.name.toStdString());
    FolderIndex index(maxDepth);
    index.assign(std::move(rows));
    return index;
}

QStringList names(const QAbstractItemModel &model, const QModelIndex &parent = {})
{
    QStringList result;
    for (int i = 0; i < model.rowCount(parent); ++i)
        result << model.index(i, 0, parent).data().toString();
    return result;
}

QModelIndex at(const QAbstractItemModel &model, const QString &path)
{
    QModelIndex node;
    for (const QString &name : path.split(QLatin1Char('/'))) {
        const int row = names(model, node).indexOf(name);
        if (row < 0)
            return {};
        node = model.index(row, 0, node);
    }
    return node;
}

} // namespace

class TestFolderModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void orderCirclesAndMissingParents()
    {
        FolderTreeModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.resetFolders(indexOf({
            top(1, "b"), top(2, "a"), top(3, "Äpfel"), top(4, "apple"), top(5, "A"),
            sub(10, "zulu", 2), sub(11, "Alpha", 2), sub(12, "éclair", 2), sub(13, "Eclair", 2),
            sub(14, "y", 11), sub(15, "X", 11),
            sub(20, "orphan", 99), sub(21, "orphan child", 20),   // parent gone
            sub(22, "loop1", 23), sub(23, "loop2", 22),           // a circle
            sub(24, "self", 24),                                 // its own parent
            Folder{25, "odd", FolderKind::Unreachable, 0},       // unknown kind
            sub(26, "under odd", 25),
            Folder{27, "C top", FolderKind::Root, 14},           // a top row's parent is not read
        }));
        // Case-insensitive, accents beside their letters; equal names by number.
        QCOMPARE(names(model), QStringList({"a", "A", "Äpfel", "apple", "b", "C top"}));
        QCOMPARE(names(model, at(model, "a")), QStringList({"Alpha", "Eclair", "éclair", "zulu"}));
        QCOMPARE(names(model, at(model, "a/Alpha")), QStringList({"X", "y"}));
        QCOMPARE(model.folders().unplaced(), 7);
        QCOMPARE(model.folders().hiddenTooDeep(), 0);
        QCOMPARE(FolderTreeModel::dirNumOf(model.indexOfFolder(14)), DirNum(14));
        QCOMPARE(model.indexOfFolder(14).parent(), at(model, "a/Alpha"));
        QVERIFY(!model.indexOfFolder(21).isValid());
        QVERIFY(!model.indexOfFolder(24).isValid());
        // A folder's sub-folders are known before they are put in order.
        QVERIFY(model.hasChildren(at(model, "a")));
        QVERIFY(!model.hasChildren(at(model, "b")));
    }

    // Folders deeper than the bound are not shown, with their branch; the
    // first hidden level is counted.
    void depthBound()
    {
        std::vector<Folder> rows{top(1, "level 1")};
        for (int i = 2; i <= 10; ++i)
            rows.push_back(sub(i, QStringLiteral("level %1").arg(i), i - 1));
        rows.push_back(sub(11, "beside 5", 4));
        FolderTreeModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.resetFolders(indexOf(rows, 4));
        QCOMPARE(model.folders().hiddenTooDeep(), 2);  // level 5 and "beside 5"
        QCOMPARE(model.folders().unplaced(), 0);
        const QModelIndex deepest = at(model, "level 1/level 2/level 3/level 4");
        QVERIFY(deepest.isValid());
        QVERIFY(!model.hasChildren(deepest));
        QVERIFY(!model.indexOfFolder(5).isValid());
        // Nothing can be added where it would not be shown.
        QVERIFY(!model.addFolder(4, 12, "New Folder"));
        QVERIFY(model.addFolder(3, 12, "New Folder"));
    }

    // The program's own changes: a new folder goes after its siblings and a
    // renamed one keeps its place until the tree is rebuilt (after a move),
    // which restores name order; a move re-places the whole branch.
    void changesWithoutReadingAgain()
    {
        FolderTreeModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.resetFolders(indexOf({top(1, "Home"), top(2, "Work"), sub(3, "b", 1), sub(4, "c", 1), sub(5, "d", 4)}));
        QCOMPARE(names(model, at(model, "Home")), QStringList({"b", "c"}));

        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QVERIFY(model.addFolder(1, 6, "a new one"));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(names(model, at(model, "Home")), QStringList({"b", "c", "a new one"}));
        QVERIFY(model.addFolder(0, 7, "Attic"));
        QCOMPARE(names(model), QStringList({"Home", "Work", "Attic"}));
        // A number below the known ones cannot be placed in order: refused,
        // the caller reads the rows again.
        QVERIFY(!model.addFolder(1, 2, "stale"));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.renameFolder(3, "zebra");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(names(model, at(model, "Home")), QStringList({"zebra", "c", "a new one"}));

        // c (with d) moves under Work: both lists are in name order again.
        model.moveFolder(4, 2);
        QCOMPARE(names(model), QStringList({"Attic", "Home", "Work"}));
        QCOMPARE(names(model, at(model, "Home")), QStringList({"a new one", "zebra"}));
        QCOMPARE(names(model, at(model, "Work")), QStringList({"c"}));
        QCOMPARE(names(model, at(model, "Work/c")), QStringList({"d"}));
        QCOMPARE(model.folders().depth(model.folders().slotOf(5)), 3);
        // ...and to the top level.
        model.moveFolder(4, 0);
        QCOMPARE(names(model), QStringList({"Attic", "c", "Home", "Work"}));
        QVERIFY(!model.hasChildren(at(model, "Work")));

        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.removeFolder(6);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(names(model, at(model, "Home")), QStringList({"zebra"}));
        QVERIFY(!model.indexOfFolder(6).isValid());
        QCOMPARE(at(model, "Home/zebra").row(), 0);
    }

    // A move that puts a branch beyond the depth bound hides its lower part.
    void moveBeyondTheBound()
    {
        FolderTreeModel model;
        model.resetFolders(indexOf({top(1, "a"), sub(2, "b", 1), sub(3, "c", 2), top(4, "x"), sub(5, "y", 4)}, 3));
        QCOMPARE(model.folders().hiddenTooDeep(), 0);
        model.moveFolder(4, 3);
        QCOMPARE(model.folders().hiddenTooDeep(), 1);
        QVERIFY(!model.indexOfFolder(4).isValid());
        QCOMPARE(model.folders().unplaced(), 0);
    }

    // The rows as stored by another tool: the index reads them as the
    // queries do, in the order the queries' collation gives.
    void readsTheFile()
    {
        ProgramFolder folder;
        folder.createDatabase();
        folder.execAll({
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, '', 'R', 0), (2, 'lower kind', 'r', 0), "
            "(3, 'parent as text', 'D', '1'), (4, 'no parent', 'D', 0), (5, 'Ω «quoted» ''n'' \"so\"', 'R', 0)",
            "WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
            "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) "
            "SELECT i, char(65 + (i * 7) % 26, 97 + (i * 13) % 26, 192 + i % 40) || i, 'R', 0 FROM n",
        });
        Database db(folder.path());
        QVERIFY(db.open().ok());
        FolderIndex index;
        index.assign(FolderRows::read(db));
        QCOMPARE(index.slotCount(), 306);
        QCOMPARE(index.unplaced(), 2);
        QCOMPARE(index.name(index.slotOf(1)), QString());
        QCOMPARE(index.parentSlot(index.slotOf(3)), index.slotOf(1));
        QCOMPARE(index.name(index.slotOf(5)), QStringLiteral("Ω «quoted» 'n' \"so\""));

        QStringList shown;
        for (int slot : index.children(FolderIndex::NoSlot))
            shown << QString::number(index.num(slot));
        QStringList queried;
        for (const Folder &f : FolderStore(db).allFolders())
            if (f.kind == FolderKind::Root)
                queried << QString::number(f.num);
        QCOMPARE(shown, queried);
    }
};

QTEST_MAIN(TestFolderModel)
#include "test_foldermodel.moc"
