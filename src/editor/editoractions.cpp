#include "editor/editoractions.h"

#include "editor/documentpane.h"

namespace folio {

QList<CommandBinding> EditorActions::bindings()
{
    return {
        {QStringLiteral("DocAdd"), [this] { m_pane.newDocument(); }},
        {QStringLiteral("DocChg"), [this] { m_pane.editDocument(); }},
        {QStringLiteral("DocExport"), [this] { m_pane.exportDocument(); }},
        {QStringLiteral("DocPrt"), [this] { m_pane.printDocument(); }},
        {QStringLiteral("MnuSpelling"), [this] { m_pane.showSpellingLanguages(); }},
    };
}

} // namespace folio
