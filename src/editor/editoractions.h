#pragma once

#include "widgets/commands.h"

namespace folio {

class DocumentPane;

// The document commands the editor carries out: start a new document,
// revise the shown one, export it to an HTML file, print it. Export and
// print work on what the pane shows, which only the editor holds; the
// list's part (an entry must be selected) reaches it through AppState.
class EditorActions
{
public:
    explicit EditorActions(DocumentPane &pane) : m_pane(pane) {}
    QList<CommandBinding> bindings();

private:
    DocumentPane &m_pane;
};

} // namespace folio
