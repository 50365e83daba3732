#pragma once

// Helpers of the folder tree tests: reading KB97.MDB as another tool would,
// and finding nodes by their path.

#include "support/testsupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QBrush>
#include <QTreeView>
#include <QVariant>

namespace folio::test {

// How deep folders may nest, as the user is told.
inline constexpr int DepthLimit = 250;

inline QVariant fileValue(const ProgramFolder &folder, const QString &sql)
{
    return folder.value(sql);
}

// The node at a "/"-separated path of names, or an invalid index.
inline QModelIndex nodeAt(const QTreeView *tree, const QString &path)
{
    const QAbstractItemModel *model = tree->model();
    QModelIndex node;
    for (const QString &name : path.split(QLatin1Char('/'))) {
        QModelIndex next;
        for (int i = 0; i < model->rowCount(node) && !next.isValid(); ++i)
            if (model->index(i, 0, node).data().toString() == name)
                next = model->index(i, 0, node);
        if (!next.isValid())
            return {};
        node = next;
    }
    return node;
}

// The node at `row` under `parent` (the top level when invalid).
inline QModelIndex nodeAt(const QTreeView *tree, int row, const QModelIndex &parent = {})
{
    return tree->model()->index(row, 0, parent);
}

// The names of the nodes under `parent` (the top level when invalid).
inline QStringList childNames(const QTreeView *tree, const QModelIndex &parent = {})
{
    QStringList names;
    for (int i = 0; i < tree->model()->rowCount(parent); ++i)
        names << tree->model()->index(i, 0, parent).data().toString();
    return names;
}

// Every node of the tree, at any depth.
inline int nodeCount(const QTreeView *tree)
{
    int count = 0;
    QList<QModelIndex> pending{QModelIndex()};
    while (!pending.isEmpty()) {
        const QModelIndex parent = pending.takeLast();
        for (int i = 0; i < tree->model()->rowCount(parent); ++i) {
            ++count;
            pending.append(tree->model()->index(i, 0, parent));
        }
    }
    return count;
}

inline QBrush backgroundOf(const QModelIndex &node)
{
    return node.data(Qt::BackgroundRole).value<QBrush>();
}

} // namespace folio::test
