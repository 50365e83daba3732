// Drag and drop onto the folder tree: the start and drop rules at their
// thresholds, then folders and documents moved on the real window. The
// offscreen platform runs no drag of its own (QDrag::exec returns at once),
// so the test catches the data a drag starts with and delivers the drag
// events the platform would send.

#include "doclist/documentdrag.h"
#include "doclist/documentlist.h"
#include "support/testsupport.h"
#include "tree/dragrules.h"
#include "tree/foldertree.h"
#include "treetesting.h"
#include "widgets/dragpayload.h"
#include "widgets/statuspanel.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>

using namespace folio;
using folio::test::fileValue;
using folio::test::backgroundOf;
using folio::test::nodeAt;
using folio::test::ProgramFolder;

namespace {

// Keeps a copy of the data a drag starts with (the drag's own is gone
// when it ends).
struct CaughtDrag
{
    std::unique_ptr<QMimeData> data;
    void catchFrom(const QMimeData *from)
    {
        data = std::make_unique<QMimeData>();
        for (const QString &format : from->formats())
            data->setData(format, from->data(format));
    }
};

void sendMouseMove(QWidget *viewport, QPoint pos, Qt::MouseButtons held)
{
    QMouseEvent move(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
}

// Delivers a drag entering the tree, moving to `at` and dropping there.
// Returns whether the tree accepted the drag when it entered; as on the
// desktop, a drag refused there brings no further events.
bool deliverDrop(FolderTree &tree, const QMimeData *data, QPoint at)
{
    QWidget *viewport = tree.viewport();
    QDragEnterEvent enter(QPoint(1, 1), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QDropEvent drop(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    return true;
}

QPoint centreOf(FolderTree &tree, const QString &path)
{
    const QModelIndex item = nodeAt(&tree, path);
    if (!item.isValid())
        qFatal("no node %s", qPrintable(path));
    tree.scrollTo(item);
    return tree.visualRect(item).center();
}

QPoint emptySpace(FolderTree &tree)
{
    return QPoint(5, tree.viewport()->height() - 3);
}

} // namespace

class TestDragDrop : public QObject
{
    Q_OBJECT

    ProgramFolder *m_folder = nullptr;
    qint64 m_nowMs = 100000;

    QString row(DirNum num)
    {
        return fileValue(*m_folder, QStringLiteral("SELECT Attr || '/' || Parent FROM DirTable WHERE DirNum = %1").arg(num))
            .toString();
    }

    // Presses the left button on the node at `from`, waits out the delay
    // and moves 2 pixels (30 twips) right and down: the tree starts the drag.
    std::unique_ptr<QMimeData> startFolderDrag(FolderTree &tree, const QString &from)
    {
        CaughtDrag caught;
        const auto connection = QObject::connect(&tree, &FolderTree::dragStarting, &tree,
                                                 [&](const QMimeData *d) { caught.catchFrom(d); });
        const QPoint at = centreOf(tree, from);
        QTest::mousePress(tree.viewport(), Qt::LeftButton, {}, at);
        m_nowMs += FolderDragDelayMs;
        sendMouseMove(tree.viewport(), at + QPoint(2, 2), Qt::LeftButton);
        QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, at + QPoint(2, 2));
        QObject::disconnect(connection);
        m_nowMs += DropGuardMs;
        return std::move(caught.data);
    }

    std::unique_ptr<MainWindow> openWithClock()
    {
        auto window = folio::test::openWindow(*m_folder);
        if (window)
            window->folderTree().dragDrop().setClock([this] { return m_nowMs; });
        return window;
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new ProgramFolder;
        m_folder->createDatabase();
    }
    void cleanup() { delete m_folder; }

    void folderDragStartsAtTheThresholds()
    {
        const TreePress press{1000, QPoint(600, 600)};
        auto starts = [&](qint64 at, QPoint moved, DirNum source = 5, Qt::MouseButtons held = Qt::LeftButton) {
            return mayStartFolderDrag(press, at, press.twips + moved, source, held);
        };
        QVERIFY(starts(1300, QPoint(30, 30)));
        QVERIFY(!starts(1299, QPoint(30, 30)));      // too soon
        QVERIFY(!starts(1300, QPoint(100, 0)));      // straight right
        QVERIFY(!starts(1300, QPoint(0, 100)));      // straight down
        QVERIFY(starts(1300, QPoint(20, 20)));
        QVERIFY(starts(1300, QPoint(-20, -20)));
        QVERIFY(!starts(1300, QPoint(19, 20)));
        QVERIFY(!starts(1300, QPoint(20, 19)));
        QVERIFY(!starts(1300, QPoint(30, 30), 0));   // no folder was pressed
        QVERIFY(!starts(1300, QPoint(30, 30), 5, Qt::RightButton));
        QVERIFY(!mayStartFolderDrag(std::nullopt, 5000, QPoint(30, 30), 5, Qt::LeftButton));
        QCOMPARE(pixelsToTwips(QPoint(2, 7)), QPoint(30, 105));

        QVERIFY(!dropTooSoon(std::nullopt, 0));
        QVERIFY(dropTooSoon(press, 1299));
        QVERIFY(!dropTooSoon(press, 1300));

        QVERIFY(mayStartDocumentDrag(true, Qt::LeftButton));
        QVERIFY(mayStartDocumentDrag(true, Qt::RightButton));
        QVERIFY(!mayStartDocumentDrag(true, Qt::MiddleButton));
        QVERIFY(!mayStartDocumentDrag(true, Qt::NoButton));
        QVERIFY(!mayStartDocumentDrag(false, Qt::LeftButton));
    }

    // Home 1, Notes 2, Notes2 3, Work 4 with Work/Sub 5 and Work/Sub/Deep 6.
    void whereAFolderDropGoes()
    {
        QCOMPARE(folderDropParent(4, 1, {1}), std::optional<DirNum>(1));   // Work onto Home
        QCOMPARE(folderDropParent(4, 5, {5, 4}), std::nullopt);           // onto its own sub-folder
        QCOMPARE(folderDropParent(4, 6, {6, 5, 4}), std::nullopt);
        QCOMPARE(folderDropParent(4, 4, {4}), std::nullopt);              // onto itself
        QCOMPARE(folderDropParent(2, 3, {3}), std::optional<DirNum>(3));   // Notes onto Notes2
        QCOMPARE(folderDropParent(5, 0, {}), std::optional<DirNum>(0));    // empty space: top level
        QCOMPARE(folderDropParent(0, 1, {1}), std::nullopt);
        QVERIFY(!mayDropDocuments(0, {7}));
        QVERIFY(!mayDropDocuments(1, {}));
        QVERIFY(mayDropDocuments(1, {7}));
        QCOMPARE(documentToShowAfterDrop({7, 8, 9}, 8), DocNum(8));
        QCOMPARE(documentToShowAfterDrop({7, 8, 9}, 3), DocNum(7));
    }

    void payloadNamesItsBase()
    {
        std::unique_ptr<QMimeData> docs(documentsMimeData(QStringLiteral("/a/KB97.MDB"), {3, 5000000000}));
        QCOMPARE(documentsFromMimeData(docs.get(), QStringLiteral("/a/KB97.MDB")),
                 std::optional<QList<DocNum>>({3, 5000000000}));
        QVERIFY(!documentsFromMimeData(docs.get(), QStringLiteral("/b/KB97.MDB")));
        QVERIFY(!folderFromMimeData(docs.get(), QStringLiteral("/a/KB97.MDB")));
        std::unique_ptr<QMimeData> folder(folderMimeData(QStringLiteral("/a/KB97.MDB"), 4));
        QCOMPARE(folderFromMimeData(folder.get(), QStringLiteral("/a/KB97.MDB")), std::optional<DirNum>(4));
        QMimeData damaged;
        damaged.setData(QLatin1String(DocumentsMimeType), docs->data(QLatin1String(DocumentsMimeType)).left(30));
        QVERIFY(!documentsFromMimeData(&damaged, QStringLiteral("/a/KB97.MDB")));
    }

    void foldersMovedByDragging()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Notes', 'R', 0), "
                           "(3, 'Notes2', 'R', 0), (4, 'Work', 'R', 0), (5, 'Sub', 'D', 4), (6, 'Deep', 'D', 5)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (7, 'Alpha', 'D', 1)"});
        auto window = openWithClock();
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        tree.expandAll();

        // Work onto Home: under Home, in name order after Alpha, selected and current.
        std::unique_ptr<QMimeData> drag = startFolderDrag(tree, "Work");
        QVERIFY(drag);
        QVERIFY(deliverDrop(tree, drag.get(), centreOf(tree, "Home")));
        QCOMPARE(row(4), QStringLiteral("D/1"));
        const QModelIndex work = nodeAt(&tree, "Home/Work");
        QVERIFY(work.isValid());
        QCOMPARE(work.row(), 1);
        QVERIFY(tree.selectionModel()->isSelected(work));
        QCOMPARE(window->state().currentDirNum(), DirNum(4));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Panel3"))->text(), QStringLiteral("Home/Work"));
        QCOMPARE(tree.dropHighlightFolder(), DirNum(0));

        // Work onto its own sub-folder: refused, nothing changes.
        tree.expandAll();
        drag = startFolderDrag(tree, "Home/Work");
        QVERIFY(drag);
        deliverDrop(tree, drag.get(), centreOf(tree, "Home/Work/Sub/Deep"));
        QCOMPARE(row(4), QStringLiteral("D/1"));
        QCOMPARE(tree.dropHighlightFolder(), DirNum(0));

        // Notes onto Notes2: the names share their start, the move is valid.
        drag = startFolderDrag(tree, "Notes");
        deliverDrop(tree, drag.get(), centreOf(tree, "Notes2"));
        QCOMPARE(row(2), QStringLiteral("D/3"));
        QVERIFY(nodeAt(&tree, "Notes2/Notes").isValid());

        // A sub-folder onto empty space becomes a top-level folder.
        tree.expandAll();
        drag = startFolderDrag(tree, "Home/Work/Sub");
        deliverDrop(tree, drag.get(), emptySpace(tree));
        QCOMPARE(row(5), QStringLiteral("R/0"));
        QVERIFY(nodeAt(&tree, "Sub/Deep").isValid());
        QCOMPARE(window->state().currentDirNum(), DirNum(5));
    }

    // The drag starts only from a folder pressed with the left button,
    // after the delay and a movement across and down; a drop right after a
    // press in the tree is ignored.
    void folderDragGestures()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Work', 'R', 0)"});
        auto window = openWithClock();
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        int started = 0;
        connect(&tree, &FolderTree::dragStarting, this, [&] { ++started; });
        QWidget *viewport = tree.viewport();
        const QPoint work = centreOf(tree, "Work");

        QTest::mousePress(viewport, Qt::LeftButton, {}, work);
        m_nowMs += FolderDragDelayMs;
        sendMouseMove(viewport, work + QPoint(7, 0), Qt::LeftButton);   // 105 twips straight right
        QCOMPARE(started, 0);
        QCOMPARE(tree.selectedFolder(), DirNum(2));                      // no sweep over other folders
        sendMouseMove(viewport, work + QPoint(2, -2), Qt::LeftButton);
        QCOMPARE(started, 1);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, work);

        // A press on empty space forgets the folder: nothing to drag.
        QTest::mousePress(viewport, Qt::LeftButton, {}, emptySpace(tree));
        m_nowMs += FolderDragDelayMs;
        sendMouseMove(viewport, emptySpace(tree) - QPoint(-3, 3), Qt::LeftButton);
        QCOMPARE(started, 1);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, emptySpace(tree));

        std::unique_ptr<QMimeData> drag = startFolderDrag(tree, "Work");
        QCOMPARE(started, 2);
        QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(tree, "Home"));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(tree, "Home"));
        m_nowMs += DropGuardMs - 1;
        deliverDrop(tree, drag.get(), centreOf(tree, "Home"));
        QCOMPARE(row(2), QStringLiteral("R/0"));
        m_nowMs += 1;
        deliverDrop(tree, drag.get(), centreOf(tree, "Home"));
        QCOMPARE(row(2), QStringLiteral("D/1"));
    }

    // The drop highlight follows the pointer over folders and stays put
    // over empty space; it goes when the drag leaves the tree or drops,
    // and a press in the tree leaves no node but the selected one marked.
    void dropHighlight()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'Home', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'Work', 'R', 0)"});
        auto window = openWithClock();
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        std::unique_ptr<QMimeData> data(folderMimeData(window->database().filePath(), 2));
        QWidget *viewport = tree.viewport();
        auto dragOver = [&](QPoint at) {
            QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &move);
            return tree.dropHighlightFolder();
        };
        QDragEnterEvent enter(QPoint(1, 1), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(dragOver(centreOf(tree, "Home")), DirNum(1));
        QCOMPARE(backgroundOf(nodeAt(&tree, "Home")), tree.palette().highlight());
        QCOMPARE(dragOver(emptySpace(tree)), DirNum(1));
        QCOMPARE(dragOver(centreOf(tree, "Work")), DirNum(2));
        QCOMPARE(backgroundOf(nodeAt(&tree, "Home")), QBrush());
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(viewport, &leave);
        QCOMPARE(tree.dropHighlightFolder(), DirNum(0));
        QCOMPARE(backgroundOf(nodeAt(&tree, "Work")), QBrush());

        QCoreApplication::sendEvent(viewport, &enter);
        QCOMPARE(dragOver(centreOf(tree, "Home")), DirNum(1));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOf(tree, "Work"));
        QCOMPARE(tree.dropHighlightFolder(), DirNum(0));
        QCOMPARE(tree.selectedFolder(), DirNum(2));
    }

    // Three of four selected documents dragged from the list onto another
    // folder: all three move, the list shows the target with them.
    void threeDocumentsOntoAFolder()
    {
        m_folder->execAll({"INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (1, 'From', 'R', 0)",
                           "INSERT INTO DirTable (DirNum, DirName, Attr, Parent) VALUES (2, 'To', 'R', 0)",
                           "INSERT INTO DocTable (DocNum, DirNum, DocName) VALUES (10, 1, 'a'), (11, 1, 'b'), "
                           "(12, 1, 'c'), (13, 1, 'd'), (20, 2, 'there')"});
        auto window = openWithClock();
        QVERIFY(window);
        FolderTree &tree = window->folderTree();
        DocumentList &list = window->documentList();
        window->state().navigateTo(1, 0);
        QCOMPARE(list.topLevelItemCount(), 4);
        QWidget *listView = list.viewport();
        for (int i : {0, 1, 3})
            QTest::mouseClick(listView, Qt::LeftButton, Qt::ControlModifier,
                              list.visualItemRect(list.topLevelItem(i)).center());
        QCOMPARE(list.selectedDocNums(), QList<DocNum>({10, 11, 13}));

        CaughtDrag caught;
        connect(&list, &DocumentList::dragStarting, this, [&](const QMimeData *d) { caught.catchFrom(d); });
        // Pressing one of the selected entries keeps all three selected;
        // the least movement starts the drag.
        const QPoint at = list.visualItemRect(list.topLevelItem(1)).center();
        QTest::mousePress(listView, Qt::LeftButton, {}, at);
        QCOMPARE(list.selectedDocNums(), QList<DocNum>({10, 11, 13}));
        sendMouseMove(listView, at + QPoint(1, 0), Qt::LeftButton);
        QVERIFY(caught.data);
        QCOMPARE(documentsFromMimeData(caught.data.get(), window->database().filePath()),
                 std::optional<QList<DocNum>>({10, 11, 13}));

        // Numbers from another knowledge base (another running copy of the
        // program) are not taken for rows of this one.
        std::unique_ptr<QMimeData> foreign(documentsMimeData(QStringLiteral("/elsewhere/KB97.MDB"), {10, 11, 13}));
        QVERIFY(!deliverDrop(tree, foreign.get(), centreOf(tree, "To")));
        QDragEnterEvent enter(QPoint(1, 1), Qt::MoveAction, caught.data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree.viewport(), &enter);
        QDropEvent drop(centreOf(tree, "To"), Qt::MoveAction, foreign.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree.viewport(), &drop);
        QVERIFY(!drop.isAccepted());
        // Onto empty tree space: nothing moves.
        QVERIFY(deliverDrop(tree, caught.data.get(), emptySpace(tree)));
        QCOMPARE(fileValue(*m_folder, "SELECT count(*) FROM DocTable WHERE DirNum = 1").toInt(), 4);

        deliverDrop(tree, caught.data.get(), centreOf(tree, "To"));
        QCOMPARE(fileValue(*m_folder, "SELECT group_concat(DocNum) FROM (SELECT DocNum FROM DocTable "
                                      "WHERE DirNum = 2 ORDER BY DocNum)").toString(),
                 QStringLiteral("10,11,13,20"));
        QCOMPARE(window->state().currentDirNum(), DirNum(2));
        QCOMPARE(list.topLevelItemCount(), 4);
        QCOMPARE(tree.selectedFolder(), DirNum(2));
        QVERIFY(QList<DocNum>({10, 11, 13}).contains(window->state().currentDocNum()));
        QCOMPARE(list.selectedDocNums(), QList<DocNum>({window->state().currentDocNum()}));
    }
};

QTEST_MAIN(TestDragDrop)
#include "test_dragdrop.moc"
