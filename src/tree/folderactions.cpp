#include "tree/folderactions.h"

#include "session/appstate.h"
#include "storage/folderstore.h"
#include "tree/folderrules.h"
#include "tree/foldertree.h"
#include "widgets/appcontext.h"
#include "widgets/messageboard.h"
#include "widgets/notices.h"

#include <QAction>
#include <QShortcut>
#include <QTimer>

namespace folio {

namespace {

const QString LongNameNotice = QStringLiteral("The length of the string can not beyond 250 characters");
const QString NotEmptyNotice = QStringLiteral(
    "The Floder contain Sub-Folder or Doucments, please move or delete them before you delete the folder.");
const QString TooDeepNotice =
    QStringLiteral("Folders can be nested at most %1 levels deep: the new folder was not added.").arg(FolderTree::MaxDepth);

} // namespace

FolderActions::FolderActions(FolderTree &tree, Commands &commands)
    : m_tree(tree)
    , m_context(tree.context())
{
    m_tree.setFolderMenu(commands.folderMenu());
    m_tree.setLabelEditHandler(
        [this](DirNum folder, const QString &typed) { return afterLabelEdit(folder, typed); });
    auto *deleteKey = new QShortcut(QKeySequence::Delete, &m_tree, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(deleteKey, &QShortcut::activated, commands.action(QStringLiteral("DirDel")), &QAction::trigger);
}

// The tree may outlive this object while the window is torn down.
FolderActions::~FolderActions()
{
    m_tree.setLabelEditHandler({});
}

QList<CommandBinding> FolderActions::bindings()
{
    return {{QStringLiteral("DirAdd"), [this] { addFolder(); }},
            {QStringLiteral("DirChg"), [this] { renameFolder(); }},
            {QStringLiteral("DirDel"), [this] { deleteFolder(); }}};
}

void FolderActions::addFolder()
{
    const DirNum parent = m_tree.selectedFolder();
    // Asked before anything is stored: a folder the tree cannot show would
    // sit in the file where the user never sees it.
    if (!m_tree.canAddFolderUnder(parent)) {
        m_context.board.inform(TooDeepNotice);
        return;
    }
    DirNum num = 0;
    if (!m_context.notices.guard([&] {
            num = m_context.folders.addFolder(NewFolderName, parent);
            m_context.folders.clearNewRowMarkers();
        }))
        return;
    if (!m_tree.addFolderNode(parent, num, NewFolderName))
        return;
    m_context.state.selectFolder(num);
    m_tree.editFolderLabel(num);
}

void FolderActions::renameFolder()
{
    if (const DirNum num = m_tree.selectedFolder())
        m_tree.editFolderLabel(num);
}

void FolderActions::deleteFolder()
{
    const DirNum num = m_tree.selectedFolder();
    if (num == 0)
        return;
    bool deleted = false;
    bool stillThere = false;
    if (!m_context.notices.guard([&] {
            deleted = m_context.folders.deleteEmptyFolder(num);
            stillThere = !deleted && m_context.folders.folder(num).has_value();
        }))
        return;
    if (stillThere) {
        m_context.board.inform(NotEmptyNotice);
        return;
    }
    // Deleted now, or already gone from the file: the node goes either way.
    const bool wasCurrent = m_context.state.currentDirNum() == num;
    m_tree.removeFolderNode(num);
    // A folder that no longer exists must not stay current: a new document
    // saved into it could never be reached again.
    if (wasCurrent)
        m_context.state.selectFolder(0);
}

std::optional<QString> FolderActions::afterLabelEdit(DirNum folder, const QString &typed)
{
    const LabelEditDecision decision = decideLabelEdit(typed);
    if (!decision.store)
        return std::nullopt;
    bool renamed = false;
    if (!m_context.notices.guard([&] { renamed = m_context.folders.renameFolder(folder, decision.name); }))
        return std::nullopt;
    if (!renamed) {
        m_context.notices.failure(QStringLiteral("Could not rename the folder: it no longer exists."));
        return std::nullopt;
    }
    // Told once the edit has closed, so the waiting board cannot end the
    // edit a second time.
    if (decision.cut) {
        MessageBoard *board = &m_context.board;
        QTimer::singleShot(0, board, [board] { board->inform(LongNameNotice); });
    }
    return decision.name;
}

} // namespace folio
