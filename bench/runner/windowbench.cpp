#include "runner/windowbench.h"

#include "app/mainwindow.h"
#include "doclist/documentlist.h"
#include "runner/benchsession.h"
#include "runner/resulttable.h"
#include "tree/foldertree.h"

#include <QTreeWidgetItemIterator>

namespace folio::bench {

namespace {

constexpr int TreeLoadRuns = 5;    // per round
constexpr int FolderSwitchRuns = 10;

// A folder without documents to leave for between runs, so that every run
// switches from a short list to the long one, as a user clicking around does.
QTreeWidgetItem *emptyFolderItem(MainWindow &window, DirNum avoid)
{
    for (QTreeWidgetItemIterator it(&window.folderTree()); *it; ++it) {
        const DirNum num = FolderTree::dirNumOf(*it);
        if (num != avoid && window.context().documents.listDocuments(num).isEmpty())
            return *it;
    }
    return nullptr;
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

void measureFolderSwitch(BenchSession &session, ResultTable &table)
{
    const Manifest &m = session.manifest();
    const QString operation = QStringLiteral("folder switch");
    const QList<Goal> goal{Goal::below(50, QStringLiteral("< 50 ms"))};
    MainWindow &window = session.window();
    FolderTree &tree = window.folderTree();
    QTreeWidgetItem *target = tree.itemForFolder(m.switchFolder);
    QTreeWidgetItem *rest = emptyFolderItem(window, m.switchFolder);
    if (!target || !rest) {
        table.add(BenchRow::failed("folder-switch", operation, QStringLiteral("the folders were not found in the tree"), goal));
        return;
    }
    DocumentList &list = window.documentList();
    const QList<double> samples = timeRuns(
        FolderSwitchRuns,
        [&] {
            tree.setCurrentItem(target);
            list.viewport()->repaint();
        },
        [&] { tree.setCurrentItem(rest); });
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
