#pragma once

#include "widgets/commands.h"

namespace folio {

class Commands;
class DocumentList;

// The document commands of the list: deleting the selected documents. The
// document menu pops up over the list, and the Delete key on the list runs
// "Delete Document".
class DocumentActions
{
public:
    DocumentActions(DocumentList &list, Commands &commands);
    QList<CommandBinding> bindings();

private:
    DocumentList &m_list;
};

} // namespace folio
