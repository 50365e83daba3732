#pragma once

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include <functional>

// Walks over the text a cursor has selected, touching only the blocks the
// selection lies in, so the cost follows the selection and not the size of
// the document.

namespace folio {

// Called with the selected part [from, to) of one run of equally formatted
// text and that run's format. Returning false stops the walk.
using FragmentVisitor = std::function<bool(int from, int to, const QTextCharFormat &format)>;
// Called with one block (paragraph). Returning false stops the walk.
using BlockVisitor = std::function<bool(const QTextBlock &block)>;

// Visits the runs of text inside the selection, first to last. A cursor
// without a selection visits nothing.
void forEachSelectedFragment(const QTextCursor &cursor, const FragmentVisitor &visit);

// Visits the blocks from the one holding the selection's start to the one
// holding its end, both included: the blocks a block format applied to the
// selection reaches. Without a selection, the caret's block.
void forEachSelectedBlock(const QTextCursor &cursor, const BlockVisitor &visit);

} // namespace folio
