#include "doclist/documentactions.h"

#include "doclist/documentlist.h"

#include <QAction>
#include <QShortcut>

namespace folio {

DocumentActions::DocumentActions(DocumentList &list, Commands &commands)
    : m_list(list)
{
    m_list.setDocumentMenu(commands.documentMenu());
    auto *deleteKey = new QShortcut(QKeySequence::Delete, &m_list, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(deleteKey, &QShortcut::activated, commands.action(QStringLiteral("DocDel")), &QAction::trigger);
}

// Exporting and printing belong to the editor, which holds what they need
// (see EditorActions).
QList<CommandBinding> DocumentActions::bindings()
{
    return {
        {QStringLiteral("DocDel"), [this] { m_list.deleteDocuments(); }},
    };
}

} // namespace folio
