#pragma once

#include "shell/commands.h"

namespace folio {

class Commands;
class FolderTree;

// The folder commands as the tree offers them: the folder menu pops up over
// the tree, and the Delete key on the tree runs "Delete Folder".
class FolderActions
{
public:
    FolderActions(FolderTree &tree, Commands &commands);
    QList<CommandBinding> bindings();

private:
    FolderTree &m_tree;
};

} // namespace folio
