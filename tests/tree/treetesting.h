#pragma once

// Helpers of the folder tree tests: reading KB97.MDB as another tool would,
// and finding nodes by their path.

#include "support/testsupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QVariant>

namespace folio::test {

// The first column of the first row `sql` returns from the file, read over
// a connection of its own; invalid when there is none.
inline QVariant fileValue(const ProgramFolder &folder, const QString &sql)
{
    QVariant value;
    const QString name = QStringLiteral("tree-test-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(folder.file(QStringLiteral("KB97.MDB")));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql) && q.next())
                value = q.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

// The node at a "/"-separated path of names, or null.
inline QTreeWidgetItem *nodeAt(QTreeWidget *tree, const QString &path)
{
    QTreeWidgetItem *item = nullptr;
    for (const QString &name : path.split(QLatin1Char('/'))) {
        const int n = item ? item->childCount() : tree->topLevelItemCount();
        QTreeWidgetItem *next = nullptr;
        for (int i = 0; i < n && !next; ++i) {
            QTreeWidgetItem *c = item ? item->child(i) : tree->topLevelItem(i);
            if (c->text(0) == name)
                next = c;
        }
        if (!next)
            return nullptr;
        item = next;
    }
    return item;
}

} // namespace folio::test
