#include "tree/folderactions.h"

#include "tree/foldertree.h"

#include <QAction>
#include <QShortcut>

namespace folio {

FolderActions::FolderActions(FolderTree &tree, Commands &commands)
    : m_tree(tree)
{
    m_tree.setFolderMenu(commands.folderMenu());
    auto *deleteKey = new QShortcut(QKeySequence::Delete, &m_tree, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(deleteKey, &QShortcut::activated, commands.action(QStringLiteral("DirDel")), &QAction::trigger);
}

// Adding, renaming and deleting folders are not part of the program yet:
// their commands stay unbound and do nothing.
QList<CommandBinding> FolderActions::bindings()
{
    return {};
}

} // namespace folio
