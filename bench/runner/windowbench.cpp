#include "runner/windowbench.h"

#include "app/mainwindow.h"
#include "doclist/documentlist.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "tree/foldertree.h"

#include "storage/database.h"
#include "tree/folderindex.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace folio::bench {

namespace {

constexpr int TreeLoadRuns = 5;    // per round
constexpr int TreeExpandRuns = 5;
constexpr int WideFolderChildren = 5000;
constexpr int FolderSwitchRuns = 10;

// A folder without documents to leave for between runs, so that every run
// switches from a short list to the long one, as a user clicking around does.
DirNum emptyFolder(MainWindow &window, DirNum avoid)
{
    const FolderIndex &folders = window.folderTree().folderModel().folders();
    for (int slot = 0; slot < folders.slotCount(); ++slot) {
        const DirNum num = folders.num(slot);
        if (folders.isShown(slot) && num != avoid && window.context().documents.listDocuments(num).isEmpty())
            return num;
    }
    return 0;
}

// Adds a top-level folder holding `children` sub-folders inside the open
// transaction; returns its number, or nothing with `error` set.
std::optional<DirNum> addWideFolder(QSqlDatabase db, int children, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("INSERT INTO DirTable (DirName, Attr, Parent, Child) VALUES ('Wide folder', 'R', 0, 0)"))) {
        *error = q.lastError().text();
        return std::nullopt;
    }
    const DirNum wide = q.lastInsertId().toLongLong();
    q.prepare(QStringLiteral("INSERT INTO DirTable (DirName, Attr, Parent, Child) VALUES (?, 'D', ?, 0)"));
    for (int i = 0; i < children; ++i) {
        // Names out of order, so that the tree has to sort them.
        q.addBindValue(QStringLiteral("Sub-folder %1").arg((i * 7919) % children));
        q.addBindValue(wide);
        if (!q.exec()) {
            *error = q.lastError().text();
            return std::nullopt;
        }
    }
    return wide;
}

} // namespace

void measureTreeLoad(BenchSession &session, ResultTable &table)
{
    MainWindow &window = session.window();
    FolderTree &tree = window.folderTree();
    const QList<double> samples = timeRuns(TreeLoadRuns, [&] {
        tree.loadRootFolders();
        tree.viewport()->repaint();
    });
    table.add(BenchRow::measured("tree-load", QStringLiteral("tree load"),
                                 QStringLiteral("%1 folders").arg(session.manifest().config.folders), samples,
                                 {session.manifest().isHuge() ? Goal::below(100, QStringLiteral("≤ 100 ms (huge)"))
                                                              : Goal::below(300, QStringLiteral("< 300 ms"))}));
}

// A top-level folder of 5,000 sub-folders, added to the work copy inside a
// transaction that is rolled back afterwards, so that no other row sees it.
// Before each run the tree is read again (untimed), so every expansion
// orders the sub-folders anew.
void measureTreeExpand(BenchSession &session, ResultTable &table)
{
    const QString operation = QStringLiteral("expand a folder of 5,000 sub-folders");
    const QList<Goal> goal{Goal::below(50, QStringLiteral("≤ 50 ms"))};
    MainWindow &window = session.window();
    FolderTree &tree = window.folderTree();
    QSqlDatabase db = window.database().connection();
    QString error;
    std::optional<DirNum> added;
    if (QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE")))
        added = addWideFolder(db, WideFolderChildren, &error);
    else
        error = db.lastError().text();
    if (!added) {
        db.rollback();
        table.add(BenchRow::failed("tree-expand", operation, QStringLiteral("cannot add the folders: ") + error, goal));
        return;
    }
    const DirNum wide = *added;
    QModelIndex at;
    const QList<double> samples = timeRuns(
        session.runsPerRound(TreeExpandRuns),
        [&] {
            tree.expand(at);
            tree.viewport()->repaint();
        },
        [&] {
            tree.loadRootFolders();
            at = tree.indexForFolder(wide);
        });
    const int shown = tree.model()->rowCount(at);
    if (!db.rollback())
        qWarning("the expand row's folders were not rolled back: %s", qPrintable(db.lastError().text()));
    tree.loadRootFolders();
    if (shown != WideFolderChildren) {
        table.add(BenchRow::failed("tree-expand", operation,
                                   QStringLiteral("the folder shows %1 sub-folders").arg(shown), goal));
        return;
    }
    table.add(BenchRow::measured("tree-expand", operation,
                                 QStringLiteral("%1 folders").arg(session.manifest().config.folders), samples, goal));
}

void measureFolderSwitch(BenchSession &session, ResultTable &table)
{
    const Manifest &m = session.manifest();
    const QString operation = QStringLiteral("folder switch");
    const QList<Goal> goal{Goal::below(50, QStringLiteral("< 50 ms"))};
    MainWindow &window = session.window();
    FolderTree &tree = window.folderTree();
    const QModelIndex target = tree.indexForFolder(m.switchFolder);
    const QModelIndex rest = tree.indexForFolder(emptyFolder(window, m.switchFolder));
    if (!target.isValid() || !rest.isValid()) {
        table.add(BenchRow::failed("folder-switch", operation, QStringLiteral("the folders were not found in the tree"), goal));
        return;
    }
    DocumentList &list = window.documentList();
    const QList<double> samples = timeRuns(
        FolderSwitchRuns,
        [&] {
            tree.setCurrentIndex(target);
            list.viewport()->repaint();
        },
        [&] { tree.setCurrentIndex(rest); });
    if (list.topLevelItemCount() != m.switchFolderDocuments) {
        table.add(BenchRow::failed("folder-switch", operation,
                                   QStringLiteral("the list shows %1 documents, the folder holds %2")
                                       .arg(list.topLevelItemCount()).arg(m.switchFolderDocuments), goal));
        return;
    }
    table.add(BenchRow::measured("folder-switch", operation,
                                 QStringLiteral("%1 documents").arg(m.switchFolderDocuments), samples, goal));
}

} // namespace folio::bench
