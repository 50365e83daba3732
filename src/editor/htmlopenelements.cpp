#include "editor/htmlopenelements.h"

#include "editor/htmlelements.h"

namespace folio {

void OpenElements::push(const QString &name, ElementShown shown)
{
    const int position = size();
    m_open.append(OpenElement{name, shown});
    m_byName[name].push(position);
    if (!isPhrasingElement(name))
        m_blocks.push(position);
    if (isListScopeBoundary(name))
        m_listScope.push(position);
    if (isTableSection(name))
        m_sections.push(position);
    if (shown == ElementShown::Frame || shown == ElementShown::Cell)
        m_rewritten.push(position);
    count(m_open.last(), 1);
}

OpenElement OpenElements::pop()
{
    const int position = size() - 1;
    OpenElement element = m_open.takeLast();
    m_byName[element.name].popIf(position);
    m_blocks.popIf(position);
    m_listScope.popIf(position);
    m_sections.popIf(position);
    m_rewritten.popIf(position);
    count(element, -1);
    return element;
}

int OpenElements::innermost(const QString &name) const
{
    const auto it = m_byName.constFind(name);
    return it == m_byName.constEnd() ? -1 : it->innermost();
}

void OpenElements::count(const OpenElement &element, int step)
{
    const bool shown = element.shown == ElementShown::AsWritten || element.shown == ElementShown::Implied;
    if (shown || element.shown == ElementShown::Cell)
        m_shownDepth += step;
    if (element.name == u"table") {
        if (shown)
            m_shownTables += step;
        else if (element.shown == ElementShown::Frame)
            m_flattenedTables += step;
    }
}

} // namespace folio
