#pragma once

#include "storage/types.h"
#include "widgets/commands.h"

#include <optional>

namespace folio {

class Commands;
class FolderTree;
struct AppContext;

// The folder commands: add, rename and delete, acting on the tree's
// selected folder and changing its node in place (the tree is not read
// again). The folder menu pops up over the tree, and the Delete key on the
// tree runs "Delete Folder".
class FolderActions
{
public:
    FolderActions(FolderTree &tree, Commands &commands);
    ~FolderActions();
    FolderActions(const FolderActions &) = delete;
    FolderActions &operator=(const FolderActions &) = delete;

    QList<CommandBinding> bindings();

    // Adds "New Folder" inside the selected folder (at the top level when
    // none is selected), makes it current and opens its label for the name.
    void addFolder();
    // Opens the selected folder's label for a new name.
    void renameFolder();
    // Deletes the selected folder when it holds no folder and no document;
    // otherwise says why not. An empty folder goes without a question.
    void deleteFolder();
    // A label edit ended with `typed`: stores the name and returns the label
    // to show, or nothing to keep the label as it was.
    std::optional<QString> afterLabelEdit(DirNum folder, const QString &typed);

private:
    FolderTree &m_tree;
    AppContext &m_context;
};

} // namespace folio
