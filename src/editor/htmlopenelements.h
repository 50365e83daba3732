#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace folio {

// How an open element reaches the text control.
enum class ElementShown : quint8 {
    AsWritten,   // its tags are kept
    Implied,     // the control makes it itself (a table around a stray row
                 // or cell): it has no tags in the text
    Dropped,     // nested beyond the element limit: its tags are left out
    Frame,       // table, section or row of a flattened table: tags left out
    Cell,        // cell or caption of a flattened table: shown as a <div>
};

struct OpenElement
{
    QString name;   // lower case
    ElementShown shown;
};

// The stack of open elements of the nesting pre-pass, innermost last, with
// what it needs to answer in constant time: the innermost element of a name
// or of a group, and how deep the control nests elements and tables. Each
// element is pushed once and popped once, so the pass stays linear however
// deep a body nests.
class OpenElements
{
public:
    int size() const { return int(m_open.size()); }
    const OpenElement &at(int position) const { return m_open[position]; }

    void push(const QString &name, ElementShown shown);
    OpenElement pop();

    // Positions of the innermost element of the kind, -1 when none is open.
    int innermost(const QString &name) const;
    int innermostBlock() const { return m_blocks.innermost(); }   // not a phrasing element
    int innermostListScopeBoundary() const { return m_listScope.innermost(); }
    int innermostTableSection() const { return m_sections.innermost(); }
    // Whether an element at `position` or inside it is flattened.
    bool rewrittenFrom(int position) const { return m_rewritten.innermost() >= position; }

    // Elements the control nests (tags kept, implied or rewritten).
    int shownDepth() const { return m_shownDepth; }
    // Tables the control nests.
    int shownTables() const { return m_shownTables; }
    bool inFlattenedTable() const { return m_flattenedTables > 0; }

private:
    // Positions of the open elements of one kind, innermost last.
    class Positions
    {
    public:
        void push(int position) { m_positions.append(position); }
        void popIf(int position)
        {
            if (!m_positions.isEmpty() && m_positions.last() == position)
                m_positions.removeLast();
        }
        int innermost() const { return m_positions.isEmpty() ? -1 : m_positions.last(); }

    private:
        QList<int> m_positions;
    };

    void count(const OpenElement &element, int step);

    QList<OpenElement> m_open;
    QHash<QString, Positions> m_byName;
    Positions m_blocks;
    Positions m_listScope;
    Positions m_sections;
    Positions m_rewritten;
    int m_shownDepth = 0;
    int m_shownTables = 0;
    int m_flattenedTables = 0;
};

} // namespace folio
