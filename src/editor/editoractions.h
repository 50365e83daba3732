#pragma once

#include "shell/commands.h"

namespace folio {

class DocumentPane;

// The document commands the editor carries out: start a new document,
// revise the shown one.
class EditorActions
{
public:
    explicit EditorActions(DocumentPane &pane) : m_pane(pane) {}
    QList<CommandBinding> bindings();

private:
    DocumentPane &m_pane;
};

} // namespace folio
