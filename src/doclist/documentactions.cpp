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

// Deleting and exporting documents are not part of the program yet: their
// commands stay unbound and do nothing.
QList<CommandBinding> DocumentActions::bindings()
{
    return {};
}

} // namespace folio
