#include "editor/selectionwalk.h"

#include <QTextDocument>

#include <algorithm>

namespace folio {

void forEachSelectedFragment(const QTextCursor &cursor, const FragmentVisitor &visit)
{
    const QTextDocument *document = cursor.document();
    if (!document || !cursor.hasSelection())
        return;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from >= end)
                break;
            if (from < to && !visit(from, to, fragment.charFormat()))
                return;
        }
    }
}

void forEachSelectedBlock(const QTextCursor &cursor, const BlockVisitor &visit)
{
    const QTextDocument *document = cursor.document();
    if (!document)
        return;
    const QTextBlock last = document->findBlock(cursor.selectionEnd());
    for (QTextBlock block = document->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        if (!visit(block) || block == last)
            return;
    }
}

} // namespace folio
